#include "utf8.hpp"

#include <gtest/gtest.h>

#include <string>

namespace trovik {
namespace {

std::string utf8(const std::u16string& text) { return utf16_to_utf8(text.data(), text.size()); }

TEST(Utf8, CarriesEveryNameBothWays) {
  struct Case {
    const char* name;
    std::u16string utf16;
    std::string utf8;
  };
  const Case cases[] = {
      {"ASCII", u"in.avm", "in.avm"},
      {"Cyrillic", u"\u0442\u0435\u0441\u0442.avm", "\xd1\x82\xd0\xb5\xd1\x81\xd1\x82.avm"},
      {"CJK", u"\u6355\u83b7", "\xe6\x8d\x95\xe8\x8e\xb7"},
      {"emoji, a surrogate pair", u"\U0001F4E1", "\xf0\x9f\x93\xa1"},
      {"the ends of the ranges", u"\u007f\u0080\u07ff\u0800\uffff\U00010000\U0010FFFF",
       "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xf0\x90\x80\x80\xf4\x8f\xbf\xbf"},
      {"a lone high surrogate", std::u16string{u'a', char16_t{0xD800}, u'b'},
       "a\xed\xa0\x80"
       "b"},
      {"a lone low surrogate at the end", std::u16string{u'a', char16_t{0xDC01}}, "a\xed\xb0\x81"},
      {"a low surrogate before a high one", std::u16string{char16_t{0xDC00}, char16_t{0xD800}},
       "\xed\xb0\x80\xed\xa0\x80"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utf8(c.utf16), c.utf8) << c.name;
    std::u16string back;
    EXPECT_TRUE(utf8_to_utf16(c.utf8.data(), c.utf8.size(), back)) << c.name;
    EXPECT_EQ(back, c.utf16) << c.name;
  }
}

TEST(Utf8, RefusesWhatIsNotUtf8) {
  const std::string cases[] = {
      "\x80",                  // a continuation byte alone
      "a\xd1",                 // a sequence cut short at the end
      "\xe6\x8d",              // likewise, longer
      "\xd1x",                 // a lead byte before a plain byte
      "\xc0\xaf",              // an overlong '/', which must not slip past a check for it
      "\xe0\x80\xaf",          // likewise, three bytes
      "\xf4\x90\x80\x80",      // past U+10FFFF
      "\xf8\x88\x80\x80\x80",  // five-byte forms do not exist
      "\xff",
  };
  for (const std::string& bytes : cases) {
    std::u16string out;
    EXPECT_FALSE(utf8_to_utf16(bytes.data(), bytes.size(), out)) << testing::PrintToString(bytes);
  }
}

}  // namespace
}  // namespace trovik
