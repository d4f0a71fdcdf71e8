#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <vector>

#include "console/run_tally.h"

namespace {

using json = nlohmann::json;

class MemorySink : public LineSink {
 public:
  std::vector<std::string> lines;
  bool writeLine(std::string_view line) override {
    lines.emplace_back(line);
    return true;
  }
  uint32_t error() const override { return 0; }
};

std::string errorText(uint32_t code) { return "error " + std::to_string(code); }

TEST(RunTally, ALineForEachDecryptedOrFailedFileAndEachPlaceNotSearched) {
  MemorySink sink;
  RunTally tally(&sink, errorText);
  tally.searching(L"D:\\v");
  tally.fileAnswered({L"D:\\v\\plain.txt", NotEncrypted, EncryptedCopy::Untouched, 0});
  tally.fileAnswered({L"D:\\v\\a.kyl", Decrypted, EncryptedCopy::Removed, 0});
  tally.fileAnswered({L"D:\\v\\b.kyl", Decrypted, EncryptedCopy::RemovalRefused, 32});
  tally.fileAnswered({L"D:\\v\\c.kyl", Failed, EncryptedCopy::Untouched, 0});
  tally.fileAnswered({L"D:\\v\\d.kyl", 9, EncryptedCopy::Untouched, 0});  // not an answer the library may give
  tally.notSearched({L"D:\\v\\locked", NotSearchedReason::AccessDenied, 5, false});
  tally.searching(L"D:\\v\\sub");

  ASSERT_EQ(sink.lines.size(), 4u);
  EXPECT_EQ(json::parse(sink.lines[0])["path"], "D:\\v\\a.kyl");
  EXPECT_EQ(json::parse(sink.lines[1])["errorText"], "error 32");
  EXPECT_EQ(json::parse(sink.lines[2])["answer"], "Failed");
  EXPECT_EQ(json::parse(sink.lines[3])["errorText"], "error 5");
  const RunCounts counts = tally.counts();
  EXPECT_EQ(counts.offered, 5u);
  EXPECT_EQ(counts.notRemoved, 1u);
  EXPECT_EQ(counts.notSearched, 1u);
  EXPECT_EQ(tally.folder(), L"D:\\v\\sub");
  EXPECT_FALSE(tally.ended());
  tally.runEnded(reportOutcome(Failed, 1, 1));
  ASSERT_TRUE(tally.ended());
  EXPECT_EQ(tally.ended()->outcome, Failed);
}

TEST(RunTally, WithoutAReportItStillCounts) {
  RunTally tally(nullptr, errorText);
  tally.fileAnswered({L"a", Decrypted, EncryptedCopy::Removed, 0});
  EXPECT_EQ(tally.counts().offered, 1u);
}

}  // namespace
