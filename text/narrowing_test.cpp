#include <gtest/gtest.h>

#include <windows.h>

#include "text/narrowing.h"

namespace {

// The system's converter as Windows answers: it refuses the used-default question for UTF-7 and UTF-8 (Wine
// answers it), and otherwise converts as the machine's converter does.
int windows_narrower(unsigned code_page, std::wstring_view wide, char* out, int out_size, bool* used_default) {
  if (used_default && (code_page == CP_UTF8 || code_page == CP_UTF7)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  BOOL used = FALSE;
  const int n = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), out, out_size, nullptr,
                                    used_default ? &used : nullptr);
  if (used_default) *used_default = used != FALSE;
  return n;
}

TEST(Narrowing, TheLogFoldersPathInEachCodePage) {
  const std::wstring temp = L"C:\\Users\\Zo\u00EB\\AppData\\Local\\Temp\\";
  const struct {
    const char* what;
    unsigned code_page;
    std::wstring wide;
    std::string expected;
    bool lossy;
  } cases[] = {
      {"UTF-8 as the ANSI code page", CP_UTF8, temp, "C:\\Users\\Zo\xC3\xAB\\AppData\\Local\\Temp\\", false},
      {"UTF-8, beyond the basic plane", CP_UTF8, L"C:\\\xD83D\xDE00", "C:\\\xF0\x9F\x98\x80", false},
      {"UTF-8, an unpaired surrogate is lost", CP_UTF8, L"C:\\\xD83D", "C:\\\xEF\xBF\xBD", true},
      {"Western code page", 1252, temp, "C:\\Users\\Zo\xEB\\AppData\\Local\\Temp\\", false},
      {"Western code page, a name it cannot express", 1252, L"C:\\\x4E2D", "C:\\?", true},
  };
  for (const auto& c : cases) {
    bool lossy = !c.lossy;
    EXPECT_EQ(text::narrow_in(c.code_page, c.wide, &lossy, windows_narrower), c.expected) << c.what;
    EXPECT_EQ(lossy, c.lossy) << c.what;
    EXPECT_EQ(text::narrow_in(c.code_page, c.wide, nullptr, windows_narrower), c.expected) << c.what << ", unasked";
  }
}

TEST(Narrowing, ARefusingConverterGivesNothingRatherThanZeroBytes) {
  const auto refusing = [](unsigned, std::wstring_view wide, char*, int out_size, bool*) {
    return out_size == 0 ? static_cast<int>(wide.size()) : 0;  // measures, then refuses to write
  };
  EXPECT_EQ(text::narrow_in(1252, L"abc", nullptr, refusing), "");
}

}  // namespace
