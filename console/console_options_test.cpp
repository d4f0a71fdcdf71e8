#include <gtest/gtest.h>

#include "console/console_options.h"

namespace {

using namespace std::chrono_literals;

TEST(ConsoleOptions, MinutesAreAPositiveNumberUpToAYear) {
  const struct {
    const wchar_t* text;
    std::optional<std::chrono::milliseconds> limit;
  } cases[] = {
      {L"50", 50min},
      {L"0.5", 30s},
      {L"1.25", 75s},
      {L"527040", 527040min},
      {L"0", std::nullopt},
      {L"0.0", std::nullopt},
      {L"", std::nullopt},
      {L".", std::nullopt},
      {L"-5", std::nullopt},
      {L"5m", std::nullopt},
      {L"1e3", std::nullopt},
      {L"527041", std::nullopt},
      {L"99999999999999999999", std::nullopt},
      {L"1.2.3", std::nullopt},
      {L" 5", std::nullopt},
      {L"\x0665", std::nullopt},  // an Arabic-Indic five is not a digit here
  };
  for (const auto& c : cases) EXPECT_EQ(parseMinutes(c.text), c.limit) << testing::PrintToString(std::wstring(c.text));
}

TEST(ConsoleOptions, TheComputerNameGoesIntoEveryPlaceholderAndCannotLeaveItsFolder) {
  EXPECT_EQ(reportPathFor(L"\\\\srv\\reports\\{computer}.jsonl", L"PC-0042"), L"\\\\srv\\reports\\PC-0042.jsonl");
  EXPECT_EQ(reportPathFor(L"{computer}\\{computer}.jsonl", L"A"), L"A\\A.jsonl");
  EXPECT_EQ(reportPathFor(L"C:\\r\\run.jsonl", L"A"), L"C:\\r\\run.jsonl") << "no placeholder: the path as given";
  EXPECT_EQ(reportPathFor(L"{computer", L"A"), L"{computer");
  const struct {
    const wchar_t* name;
    const wchar_t* part;
  } names[] = {
      {L"..", L"._"},
      {L".", L"_"},
      {L"..\\..\\Windows", L".._.._Windows"},
      {L"a/b:c*d?", L"a_b_c_d_"},
      {L"", L"unknown-computer"},
      {L"pc.", L"pc_"},
      {L"PC\x00e9", L"PC_"},
      {L"x.corp.example", L"x.corp.example"},
  };
  for (const auto& n : names) EXPECT_EQ(fileNamePart(n.name), n.part) << testing::PrintToString(std::wstring(n.name));
}

TEST(ConsoleOptions, EachOptionIsJudgedOrLeftOut) {
  const auto values = [](std::vector<FrontEndValue> given) {
    std::vector<FrontEndValue> all = {{L"-max-minutes"}, {L"-report"}};
    for (const FrontEndValue& v : given)
      for (FrontEndValue& slot : all)
        if (slot.name == v.name) slot = v;
    return all;
  };
  const ConsoleOptions none = readConsoleOptions(values({}), L"PC");
  EXPECT_FALSE(none.timeLimit);
  EXPECT_TRUE(none.reportPath.empty());
  EXPECT_TRUE(none.problem.empty());

  const ConsoleOptions both = readConsoleOptions(
      values({{L"-max-minutes", true, true, L"45"}, {L"-report", true, true, L"r\\{computer}.jsonl"}}), L"PC");
  EXPECT_EQ(both.timeLimit, std::chrono::milliseconds(45min));
  EXPECT_EQ(both.reportPath, L"r\\PC.jsonl");
  EXPECT_TRUE(both.problem.empty());

  const struct {
    FrontEndValue value;
    const char* problem;
  } wrong[] = {
      {{L"-max-minutes", true, false, L""}, "The -max-minutes argument needs a number of minutes after it."},
      {{L"-max-minutes", true, true, L"soon"},
       "The provided time limit is not a number of minutes above zero: \"soon\"."},
      {{L"-report", true, false, L""}, "The -report argument needs a file after it."},
      {{L"-report", true, true, L""}, "The -report argument needs a file after it."},
  };
  for (const auto& w : wrong) EXPECT_EQ(readConsoleOptions(values({w.value}), L"PC").problem, w.problem);
}

}  // namespace
