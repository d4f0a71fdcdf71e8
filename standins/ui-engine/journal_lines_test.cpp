// The journal as the engine writes it (journal.cpp) and as the tests read it back (journal_lines.cpp).
#include "standins/ui-engine/journal_lines.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "standins/ui-engine/journal.h"

namespace {

namespace fs = std::filesystem;

TEST(Journal, WhatTheEngineWritesIsReadBackCallForCall) {
  // The writer opens the file named by the variable at its first call, once per process, and keeps it open to
  // the process's end, so the file stays behind in the test prefix's temporary folder.
  const fs::path file = fs::temp_directory_path() / ("journal-test-" + std::to_string(GetCurrentProcessId()) + ".txt");
  fs::remove(file);
  SetEnvironmentVariableW(L"STANDIN_ENGINE_JOURNAL", file.c_str());
  const struct {
    const char* call;
    standin::json written;
    standin::json read;  // text that is not UTF-8 comes back replaced
  } cases[] = {
      {"WindowShown", standin::json::object(), standin::json::object()},
      {"SciterCall",
       {{"name", "showFinalStep"}, {"args", {"two words", "a line\r\nbreak", true, 3}}},
       {{"name", "showFinalStep"}, {"args", {"two words", "a line\r\nbreak", true, 3}}}},
      {"LoadDataAnswered",
       {{"url", "this://app/x y.css"}, {"bytes", nullptr}},
       {{"url", "this://app/x y.css"}, {"bytes", nullptr}}},
      {"SciterSetOption", {{"text", "caf\xE9"}}, {{"text", "caf\xEF\xBF\xBD"}}},
  };
  for (const auto& c : cases) standin::journal(c.call, c.written);

  const std::vector<standin::JournalEntry> read = standin::read_journal(file);
  ASSERT_EQ(read.size(), std::size(cases));
  for (size_t i = 0; i < read.size(); ++i) {
    SCOPED_TRACE(cases[i].call);
    EXPECT_EQ(read[i].call, cases[i].call);
    EXPECT_EQ(read[i].args, cases[i].read);
  }
}

TEST(Journal, ALineWithANameAloneOrBrokenArgumentsIsStillAnEntry) {
  const std::vector<standin::JournalEntry> read = standin::parse_journal("WindowDestroyed\nSciterCall {\"name\": \n");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].call, "WindowDestroyed");
  EXPECT_EQ(read[0].args, standin::json::object());
  EXPECT_EQ(read[1].call, "SciterCall");
  EXPECT_TRUE(read[1].args.is_discarded());
}

TEST(Journal, NoFileReadsAsNoEntries) {
  EXPECT_TRUE(standin::read_journal(fs::temp_directory_path() / "no-such-journal.txt").empty());
}

}  // namespace
