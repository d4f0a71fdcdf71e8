#include <gtest/gtest.h>

#include "engine/progress_text.h"
#include "engine/run_report.h"

namespace {

constexpr const char* kEnded = "The decryption process has ended.";

TEST(RunReport, OutcomeTable) {
  const struct {
    FileResult outcome;
    uint64_t decrypted, failed;
    const char* message;
    bool logPath, success;
  } cases[] = {
      {NotEncrypted, 0, 0, "Scan finished, no encrypted files have been found!", false, true},
      {Decrypted, 12, 0, "The threat is gone!", false, true},
      {NoDiskSpace, 4, 1, "The recovery process has been stopped due to insufficient disk space.", true, false},
      {Failed, 3, 2, "The recovery process has failed for some files. Only 3 from 5 files were decrypted.", true,
       false},
      {Failed, 0, 7, "Your files couldn't be decrypted", true, false},
  };
  for (const auto& c : cases) {
    const RunReport report = reportOutcome(c.outcome, c.decrypted, c.failed);
    EXPECT_EQ(report.lines, (std::vector<std::string>{kEnded, c.message})) << c.message;
    EXPECT_EQ(report.finalMessage, c.message);
    EXPECT_EQ(report.showLogPath, c.logPath) << c.message;
    EXPECT_EQ(report.success, c.success) << c.message;
  }
}

TEST(RunReport, OutcomeIsTheWorstResult) {
  EXPECT_EQ(worseOf(Failed, NoDiskSpace), Failed);
  EXPECT_EQ(worseOf(NoDiskSpace, Failed), Failed);
  EXPECT_EQ(worseOf(Decrypted, NoDiskSpace), NoDiskSpace);
  EXPECT_EQ(worseOf(NotEncrypted, Decrypted), Decrypted);
}

TEST(RunReport, ProblemEndsOnTheFailureStepWithTheLogPath) {
  const RunReport report = reportProblem("Nothing to scan.");
  EXPECT_EQ(report.lines, (std::vector<std::string>{kEnded, "Nothing to scan."}));
  EXPECT_EQ(report.finalMessage, "Nothing to scan.");
  EXPECT_TRUE(report.showLogPath);
  EXPECT_FALSE(report.success);
}

TEST(ProgressText, DecryptedLineFirstThenFailedLine) {
  EXPECT_EQ(progressText(12, 0), "12 files were decrypted.<br/>0 files could not be decrypted.");
  EXPECT_EQ(progressText(0, 18446744073709551615ull),
            "0 files were decrypted.<br/>18446744073709551615 files could not be decrypted.");
}

}  // namespace
