#include "utf8.hpp"

#include <cstdint>

namespace trovik {

namespace {

bool is_high_surrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string utf16_to_utf8(const char16_t* text, std::size_t n) {
  std::string out;
  out.reserve(n * 3);
  for (std::size_t i = 0; i < n; ++i) {
    char32_t c = text[i];
    if (is_high_surrogate(c) && i + 1 < n && is_low_surrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    append_utf8(out, c);
  }
  return out;
}

bool utf8_to_utf16(const char* text, std::size_t n, std::u16string& out) {
  out.clear();
  out.reserve(n);
  std::size_t i = 0;
  while (i < n) {
    auto lead = static_cast<std::uint8_t>(text[i]);
    std::size_t extra = 0;
    char32_t c = 0;
    char32_t least = 0;  // the smallest code point that needs this many bytes
    if (lead < 0x80) {
      c = lead;
    } else if (lead >= 0xC0 && lead < 0xE0) {
      extra = 1;
      c = lead & 0x1FU;
      least = 0x80;
    } else if (lead >= 0xE0 && lead < 0xF0) {
      extra = 2;
      c = lead & 0x0FU;
      least = 0x800;
    } else if (lead >= 0xF0 && lead < 0xF5) {
      extra = 3;
      c = lead & 0x07U;
      least = 0x10000;
    } else {
      return false;
    }
    if (extra > n - i - 1) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      auto next = static_cast<std::uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3FU);
    }
    if (c < least || c > 0x10FFFF) return false;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += extra + 1;
  }
  return true;
}

}  // namespace trovik
