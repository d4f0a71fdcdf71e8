#include <gtest/gtest.h>

#include <set>
#include <string>

#include "console/exit_codes.h"

namespace {

RunReport outcome(FileResult result, bool stopped = false) {
  RunReport report = reportOutcome(result, 0, 0);
  report.stoppedEarly = stopped;
  return report;
}

TEST(ExitCodes, OnePerOutcomeAndAStopOutranksTheOutcomeLine) {
  RunReport refusedWhileStopped = reportInitFailure("No key", true);
  refusedWhileStopped.stoppedEarly = true;
  const struct {
    const char* name;
    RunReport report;
    uint64_t decrypted;
    ExitCode code;
  } cases[] = {
      {"nothing encrypted", outcome(NotEncrypted), 0, ExitCode::Success},
      {"decrypted", outcome(Decrypted), 3, ExitCode::Success},
      {"some failed", outcome(Failed), 2, ExitCode::SomeFailed},
      {"none decrypted", outcome(Failed), 0, ExitCode::NoneDecrypted},
      {"disk full", outcome(NoDiskSpace), 1, ExitCode::DiskFull},
      {"stopped after decrypting", outcome(Decrypted, true), 3, ExitCode::Stopped},
      {"stopped with nothing found", outcome(NotEncrypted, true), 0, ExitCode::Stopped},
      {"stopped after failures", outcome(Failed, true), 0, ExitCode::Stopped},
      {"library refused", reportInitFailure("", true), 0, ExitCode::InitRefused},
      {"library refused, a stop came too", refusedWhileStopped, 0, ExitCode::InitRefused},
      {"nothing to scan", reportProblem("No folder."), 0, ExitCode::Other},
      {"unexpected error", reportUnexpectedError(), 0, ExitCode::Other},
  };
  for (const auto& c : cases) EXPECT_EQ(exitCodeForRun(c.report, c.decrypted), c.code) << c.name;
}

TEST(ExitCodes, NoneIsACodeThatFleetToolsReadAsSuccessRebootOrRetryButTheRetryThatMeansIt) {
  const std::set<int> fleetMeanings = {1707, 3010, 1641, 4, 5, 8, 13, 14};
  std::set<std::string> words;
  for (const ExitCode code : {ExitCode::Success, ExitCode::LibraryNotBound, ExitCode::ArgumentError,
                              ExitCode::InitRefused, ExitCode::SomeFailed, ExitCode::NoneDecrypted, ExitCode::DiskFull,
                              ExitCode::Stopped, ExitCode::Other, ExitCode::AnotherRun}) {
    EXPECT_EQ(fleetMeanings.count(static_cast<int>(code)), 0u) << static_cast<int>(code);
    EXPECT_TRUE(words.insert(exitWord(code)).second) << "one word per code: " << exitWord(code);
  }
  EXPECT_EQ(static_cast<int>(ExitCode::AnotherRun), 1618);
}

}  // namespace
