#include "capture_dump.hpp"

#include <cstring>

namespace trovik {

namespace {

bool is_separator(const std::uint8_t* block) {
  return std::memcmp(block, kSeparatorBlock, kBlockSize) == 0;
}

}  // namespace

void skip_dump_header(InputStream& in, PacketBuffer& buffer) {
  static_assert(kDumpHeaderSize <= kPacketBufferSize, "the dump header is read into the buffer");
  in.read(buffer.data(), kDumpHeaderSize);
}

GatherResult gather_packet(InputStream& in, PacketBuffer& buffer) {
  // Stored before it is compared, so the separator block ends up in the
  // buffer as the packet's last block.
  for (std::size_t offset = 0; offset < kPacketBufferSize; offset += kBlockSize) {
    std::uint8_t* block = buffer.data() + offset;
    if (in.read(block, kBlockSize) != kBlockSize) return GatherResult::end_of_input;
    if (is_separator(block)) return GatherResult::packet_complete;
  }
  std::uint8_t dropped[kBlockSize];
  for (;;) {
    if (in.read(dropped, kBlockSize) != kBlockSize) return GatherResult::end_of_input;
    if (is_separator(dropped)) return GatherResult::packet_too_long;
  }
}

}  // namespace trovik
