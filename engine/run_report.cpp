#include "engine/run_report.h"

#include <fmt/format.h>

namespace {
constexpr const char* kEndedLine = "The decryption process has ended.";
}

RunReport reportOutcome(FileResult outcome, uint64_t decryptedCount, uint64_t failedCount) {
  RunReport report;
  report.outcome = outcome;
  switch (outcome) {
    case NotEncrypted:
      report.finalMessage = "Scan finished, no encrypted files have been found!";
      report.success = true;
      break;
    case Decrypted:
      report.finalMessage = "The threat is gone!";
      report.success = true;
      break;
    case NoDiskSpace:
      report.finalMessage = "The recovery process has been stopped due to insufficient disk space.";
      report.showLogPath = true;
      break;
    default:
      report.finalMessage =
          decryptedCount > 0
              ? fmt::format("The recovery process has failed for some files. Only {} from {} files were decrypted.",
                            decryptedCount, decryptedCount + failedCount)
              : std::string("Your files couldn't be decrypted");
      report.showLogPath = true;
      break;
  }
  report.lines = {kEndedLine, report.finalMessage};
  return report;
}

RunReport reportProblem(std::string_view reason) {
  RunReport report;
  report.kind = RunReport::Problem;
  report.finalMessage = std::string(reason);
  report.lines = {kEndedLine, report.finalMessage};
  report.showLogPath = true;
  report.success = false;
  return report;
}

RunReport reportInitFailure(std::string errorText, bool logged) {
  RunReport report;
  report.kind = RunReport::InitRefused;
  report.finalMessage = errorText.empty() ? std::string("Initialization failed.") : std::move(errorText);
  if (logged) report.lines = {report.finalMessage};
  report.encoding = TextEncoding::Utf8;
  report.showLogPath = true;
  return report;
}

RunReport reportUnexpectedError() {
  RunReport report = reportProblem("The decryption process has failed because of an unexpected error.");
  report.pageMayBeTheCause = true;
  return report;
}

RunReport reportUnreadableOptions() {
  RunReport report = reportProblem("The chosen options could not be read, so no file was decrypted or removed.");
  report.pageMayBeTheCause = true;
  return report;
}
