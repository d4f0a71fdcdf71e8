#include "utf16.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace uiarchive {
namespace {

struct ValidCase {
  const char* name;
  std::string utf8;
  std::u16string utf16;
};

TEST(Utf16, ConvertsBothWays) {
  const std::vector<ValidCase> cases{
      {"empty", "", u""},
      {"ascii path", "html/main.html", u"html/main.html"},
      {"two-byte form", "img/\xC3\xA9t\xC3\xA9.svg", u"img/\u00E9t\u00E9.svg"},
      {"three-byte form", "\xE2\x82\xAC.css", u"\u20AC.css"},
      {"surrogate pair", "\xF0\x9F\x98\x80.png", u"\U0001F600.png"},
      {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(utf16_from_utf8(c.utf8), c.utf16);
    EXPECT_EQ(utf8_from_utf16(c.utf16), c.utf8);
  }
}

TEST(Utf16, RefusesMalformedUtf8) {
  const std::vector<std::string> cases{
      "\x80",              // continuation without a lead
      "\xC3",              // truncated two-byte form
      "\xE2\x82",          // truncated three-byte form
      "\xC0\xAF",          // overlong "/"
      "\xE0\x80\xAF",      // overlong "/"
      "\xED\xA0\x80",      // encoded surrogate
      "\xF4\x90\x80\x80",  // past U+10FFFF
      "\xF8\x88\x80\x80",  // five-byte lead
      "a\xC3(",            // bad continuation
  };
  for (const auto& c : cases) EXPECT_FALSE(utf16_from_utf8(c).has_value()) << ::testing::PrintToString(c);
}

TEST(Utf16, RefusesLoneSurrogates) {
  const std::vector<std::u16string> cases{u"\xD83D", u"\xDE00", std::u16string{u'a', 0xD83D, u'b'},
                                          std::u16string{0xDE00, 0xD83D}};
  for (const auto& c : cases) EXPECT_FALSE(utf8_from_utf16(c).has_value()) << c.size();
}

}  // namespace
}  // namespace uiarchive
