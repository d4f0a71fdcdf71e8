#include <gtest/gtest.h>

#include "console/progress_line.h"

namespace {

TEST(ProgressLine, FillsTheLineWithoutWrappingAndKeepsTheFolderEnd) {
  const ProgressFacts facts{120, 7, 1, L"C:\\Users\\me\\Documents\\Projects\\2026\\Quarterly"};
  const std::wstring wide = progressLine(facts, 120);
  EXPECT_EQ(wide,
            L"\r120 files looked at, 7 decrypted, 1 failed | C:\\Users\\me\\Documents\\Projects\\2026\\Quarterly" +
                std::wstring(119 - 90, L' '));
  const std::wstring narrow = progressLine(facts, 60);
  EXPECT_EQ(narrow.size(), 1u + 59) << "one column short of the width: the cursor never wraps";
  EXPECT_EQ(narrow, L"\r120 files looked at, 7 decrypted, 1 failed | ...6\\Quarterly");
  EXPECT_EQ(progressLine(facts, 30), L"\r120 files looked at, 7 decryp") << "the counters first";
  EXPECT_EQ(progressLine(facts, 0).size(), 20u) << "a console that gives no width counts as 20 columns";
}

TEST(ProgressLine, AFolderNameCannotRewriteTheConsole) {
  const std::wstring line = progressLine({0, 0, 0, L"C:\\x\r\x1b[2Jevil"}, 80);
  EXPECT_EQ(line.find(L'\r', 1), std::wstring::npos);
  EXPECT_EQ(line.find(L'\x1b'), std::wstring::npos);
  EXPECT_NE(line.find(L"C:\\x??[2Jevil"), std::wstring::npos) << testing::PrintToString(line);
}

TEST(ProgressLine, AtMostThreeUpdatesASecond) {
  ProgressPace pace;
  const auto start = std::chrono::steady_clock::now();
  int shown = 0;
  for (int ms = 0; ms < 3000; ms += 50) shown += pace.due(start + std::chrono::milliseconds(ms));
  EXPECT_EQ(shown, 9);
}

}  // namespace
