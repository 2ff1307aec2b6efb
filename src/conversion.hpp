// The conversion run once both files are open: the file header, the packet
// loop with its frame check, every message about the packets, and the exit
// status. It uses the capture dump reader and the Ethereal dump writer, which
// know nothing of each other.
#pragma once

#include <cstdint>

#include "messages.hpp"
#include "packet_buffer.hpp"
#include "stream.hpp"

namespace trovik {

// Exit statuses. -1 reaches the shell as 255.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;  // a read, write or close failed; the output is incomplete
constexpr int kExitRefused =
    -1;  // wrong command line, a file not opened, output would overwrite input

// The frame is an Ethernet frame carrying PPPoE: byte 12 is the high byte of
// both PPPoE EtherTypes (0x88), or byte 14 is PPPoE version 1, type 1 (0x11).
// Either alone is enough.
bool passes_frame_check(const PacketBuffer& buffer);

// The PPPoE length field (bytes 18 and 19, big-endian) plus the 14-byte
// Ethernet header and the 6-byte PPPoE header: 20 to 65,555.
std::uint32_t record_length(const PacketBuffer& buffer);

// Writes the Ethereal dump of `in` to `out`, printing the per-packet lines,
// the summary and "Done" to `messages`, and closes both streams. The paths
// are only for the messages. Returns the exit status: kExitSuccess, or
// kExitFailure if any read, write or the output's close failed.
int convert(InputStream& in, OutputStream& out, const char* in_path, const char* out_path,
            MessageSink& messages);

}  // namespace trovik
