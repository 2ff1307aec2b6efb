// Reader of AVM capture dumps: a 128-byte dump header that is never examined,
// then 16-byte blocks. A packet is the run of blocks up to and including a
// separator block ("dsl" and 13 zero bytes) at a block boundary; whatever
// follows the last separator block is not a packet and is dropped.
//
// The reader fills the caller's packet buffer and prints nothing. It keeps no
// state of its own: the stream's position and indicators carry everything.
#pragma once

#include <cstddef>
#include <cstdint>

#include "packet_buffer.hpp"
#include "stream.hpp"

namespace trovik {

constexpr std::size_t kDumpHeaderSize = 128;
constexpr std::uint8_t kSeparatorBlock[kBlockSize] = {'d', 's', 'l', 0, 0, 0, 0, 0,
                                                      0,   0,   0,   0, 0, 0, 0, 0};

enum class GatherResult {
  // The packet's blocks, its separator block last, lie in the buffer from
  // byte 0 on. Bytes after them keep what they held.
  packet_complete,
  // The packet had more blocks than the buffer holds: its first
  // kPacketBufferBlocks blocks are in the buffer, the rest were read up to
  // and including its separator block and dropped.
  packet_too_long,
  // A block could not be read whole, because the input ended or failed. The
  // blocks gathered so far are an unfinished packet and must not be used.
  end_of_input,
};

// Reads the dump header into buffer bytes 0 to 127, as much of it as there
// is. A short header is not reported here; it shows in input_at_end().
void skip_dump_header(InputStream& in, PacketBuffer& buffer);

// Whether a read has met the end of the input.
inline bool input_at_end(const InputStream& in) { return in.at_end(); }

// Gathers the next packet into the buffer from byte 0 on. Never stores past
// the buffer's end.
GatherResult gather_packet(InputStream& in, PacketBuffer& buffer);

}  // namespace trovik
