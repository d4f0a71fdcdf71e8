#include <gtest/gtest.h>

#include <windows.h>

#include "text/encodings.h"

namespace {

TEST(SystemCodecs, Utf8RoundTripKeepsCharactersBeyondTheBasicPlane) {
  const std::wstring wide = L"caf\u00E9 \u0434 \xD83D\xDE00";
  const std::string utf8 = "caf\xC3\xA9 \xD0\xB4 \xF0\x9F\x98\x80";
  EXPECT_EQ(text::utf8_from_wide(wide), utf8);
  EXPECT_EQ(text::wide_from_utf8(utf8), wide);
  EXPECT_EQ(text::wide_from_utf8(""), L"");
  EXPECT_EQ(text::utf8_from_wide(L""), "");
}

TEST(SystemCodecs, AnsiStopsAtZeroAndReportsLoss) {
  EXPECT_EQ(text::wide_from_ansi(std::string_view("ab\0cd", 5)), L"ab");
  bool lossy = true;
  EXPECT_EQ(text::ansi_from_wide(L"plain", &lossy), "plain");
  EXPECT_FALSE(lossy);
  if (GetACP() == CP_UTF8) GTEST_SKIP() << "every character has a form in a UTF-8 code page";
  text::ansi_from_wide(L"\x4E2D\x6587\x0434", &lossy);
  EXPECT_TRUE(lossy);
}

}  // namespace
