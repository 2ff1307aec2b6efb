// The one buffer a packet is gathered into and its record written from.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace trovik {

// Everything after the dump header is read in blocks of this size.
constexpr std::size_t kBlockSize = 16;

// 2,048 blocks. Record lengths reach 65,555, but a frame longer than an
// Ethernet jumbo frame does not come off a DSL line, so packets and records
// beyond this size are treated as damaged rather than given a larger buffer.
constexpr std::size_t kPacketBufferSize = 32768;
constexpr std::size_t kPacketBufferBlocks = kPacketBufferSize / kBlockSize;

// Bytes beyond the current packet keep what earlier reads left there, and a
// record may be long enough to carry them; a value-initialised buffer makes
// the never-written part zeros rather than whatever memory held.
using PacketBuffer = std::array<std::uint8_t, kPacketBufferSize>;

}  // namespace trovik
