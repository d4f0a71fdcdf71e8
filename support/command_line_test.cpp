// quote() against the rules by which the C runtime and CommandLineToArgvW split a command line: each case
// gives the text written and is read back by CommandLineToArgvW, the system's own reader of those rules.
#include "support/command_line.h"

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* name;
  std::wstring argument;
  std::wstring written;  // what quote() makes of it
};

const Case kCases[] = {
    {"plain word, as it is", L"Keyloom.dll", L"Keyloom.dll"},
    {"empty, a pair of quotes", L"", L"\"\""},
    {"space", L"two words", L"\"two words\""},
    {"tab", L"a\tb", L"\"a\tb\""},
    {"backslashes before no quote stay single", L"C:\\folder\\file.txt", L"C:\\folder\\file.txt"},
    {"trailing backslash without quoting", L"C:\\folder\\", L"C:\\folder\\"},
    {"backslash inside quotes stays single", L"C:\\with space\\file", L"\"C:\\with space\\file\""},
    {"trailing backslash doubled before the closing quote", L"C:\\with space\\", L"\"C:\\with space\\\\\""},
    {"two trailing backslashes", L"x y\\\\", L"\"x y\\\\\\\\\""},
    {"quotes inside", L"say \"hi\"", L"\"say \\\"hi\\\"\""},
    {"a lone quote", L"\"", L"\"\\\"\""},
    {"backslash then quote", L"a\\\"b", L"\"a\\\\\\\"b\""},
    {"two backslashes then quote", L"a\\\\\"b c", L"\"a\\\\\\\\\\\"b c\""},
    {"only spaces", L"   ", L"\"   \""},
    {"not Latin", L"\u0444\u0430\u0439\u043b \u00e9t\u00e9", L"\"\u0444\u0430\u0439\u043b \u00e9t\u00e9\""},
    {"long-path form", L"\\\\?\\C:\\deep folder\\", L"\"\\\\?\\C:\\deep folder\\\\\""},
};

std::vector<std::wstring> read_back(const std::wstring& line) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(line.c_str(), &count);
  std::vector<std::wstring> out(arguments, arguments + count);
  LocalFree(arguments);
  return out;
}

TEST(Quote, WritesEachArgumentSoThatItIsReadBackAsGiven) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(support::quote(c.argument), c.written);
    // Between two others, so that an argument that swallows or splits its neighbours shows.
    const std::vector<std::wstring> read = read_back(L"program.exe before " + support::quote(c.argument) + L" after");
    EXPECT_EQ(read, (std::vector<std::wstring>{L"program.exe", L"before", c.argument, L"after"}));
  }
}

TEST(Quote, AWholeCommandLineOfEveryCaseIsReadBackArgumentForArgument) {
  const std::wstring program = L"C:\\Program Files\\tool\\program.exe";
  std::vector<std::wstring> arguments;
  for (const Case& c : kCases) arguments.push_back(c.argument);
  std::vector<std::wstring> expected = {program};
  expected.insert(expected.end(), arguments.begin(), arguments.end());
  EXPECT_EQ(read_back(support::command_line(program, arguments)), expected);
}

}  // namespace
