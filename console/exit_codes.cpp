#include "console/exit_codes.h"

const char* exitWord(ExitCode code) {
  switch (code) {
    case ExitCode::Success:
      return "success";
    case ExitCode::LibraryNotBound:
      return "library-not-bound";
    case ExitCode::ArgumentError:
      return "argument-error";
    case ExitCode::InitRefused:
      return "library-refused-to-start";
    case ExitCode::SomeFailed:
      return "some-files-failed";
    case ExitCode::NoneDecrypted:
      return "no-file-decrypted";
    case ExitCode::DiskFull:
      return "disk-full";
    case ExitCode::Stopped:
      return "stopped";
    case ExitCode::Other:
      return "other-error";
    case ExitCode::AnotherRun:
      return "another-run-is-going";
  }
  return "other-error";
}

ExitCode exitCodeForRun(const RunReport& report, uint64_t decryptedCount) {
  switch (report.kind) {
    case RunReport::InitRefused:
      return ExitCode::InitRefused;
    case RunReport::Problem:
      return ExitCode::Other;
    case RunReport::Outcome:
      break;
  }
  if (report.stoppedEarly) return ExitCode::Stopped;
  switch (report.outcome) {
    case NotEncrypted:
    case Decrypted:
      return ExitCode::Success;
    case NoDiskSpace:
      return ExitCode::DiskFull;
    case Failed:
      return decryptedCount > 0 ? ExitCode::SomeFailed : ExitCode::NoneDecrypted;
  }
  return ExitCode::Other;
}
