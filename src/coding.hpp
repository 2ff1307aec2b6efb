// Fixed-width integers in a defined byte order, built byte by byte with
// shifts, so the bytes are the same on every host.
#pragma once

#include <cstdint>

namespace trovik {

inline void encode_fixed32_le(std::uint8_t* dst, std::uint32_t value) {
  dst[0] = static_cast<std::uint8_t>(value);
  dst[1] = static_cast<std::uint8_t>(value >> 8);
  dst[2] = static_cast<std::uint8_t>(value >> 16);
  dst[3] = static_cast<std::uint8_t>(value >> 24);
}

inline std::uint16_t decode_fixed16_be(const std::uint8_t* src) {
  return static_cast<std::uint16_t>((src[0] << 8) | src[1]);
}

}  // namespace trovik
