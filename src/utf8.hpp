// Conversion between UTF-16, in which Windows keeps names and consoles take
// text, and UTF-8, in which the tool keeps every path and message.
//
// A Windows name may hold a surrogate that has no partner. Such a code unit
// is carried in UTF-8 as its own three-byte sequence (the WTF-8 convention),
// so that every name Windows can hold survives the round trip unchanged.
#pragma once

#include <cstddef>
#include <string>

namespace trovik {

std::string utf16_to_utf8(const char16_t* text, std::size_t n);

// Decodes UTF-8, with lone surrogates as above, into `out`. False, with
// `out` unspecified, if the bytes are not such UTF-8: truncated or overlong
// sequences, stray continuation bytes, or code points past U+10FFFF.
bool utf8_to_utf16(const char* text, std::size_t n, std::u16string& out);

}  // namespace trovik
