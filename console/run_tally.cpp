#include "console/run_tally.h"

RunTally::RunTally(LineSink* report, std::function<std::string(uint32_t)> errorText)
    : report_(report), errorText_(std::move(errorText)) {}

void RunTally::write(const std::string& line) {
  if (report_) report_->writeLine(line);
}

void RunTally::searching(const std::wstring& folder) {
  std::lock_guard guard(lock_);
  folder_ = folder;
}

void RunTally::fileAnswered(const FileAnswer& answer) {
  ++offered_;
  if (answer.copy == EncryptedCopy::RemovalRefused) ++notRemoved_;
  if (answer.answer != Decrypted && answer.answer != NoDiskSpace && answer.answer != Failed) return;
  const bool systemRefused = answer.copy == EncryptedCopy::RemovalRefused && answer.removalError != 0;
  write(fileLine(answer, systemRefused ? errorText_(answer.removalError) : ""));
}

void RunTally::passedOverAsNotHere(const std::wstring&) { ++notLocal_; }

void RunTally::notSearched(const NotSearched& what) {
  ++notSearched_;
  write(notSearchedLine(what, errorText_(what.error)));
}

void RunTally::runEnded(const RunReport& report) {
  std::lock_guard guard(lock_);
  ended_ = report;
}

RunCounts RunTally::counts() const {
  RunCounts counts;
  counts.offered = offered_;
  counts.notRemoved = notRemoved_;
  counts.notSearched = notSearched_;
  counts.notLocal = notLocal_;
  return counts;
}

std::wstring RunTally::folder() const {
  std::lock_guard guard(lock_);
  return folder_;
}

std::optional<RunReport> RunTally::ended() const {
  std::lock_guard guard(lock_);
  return ended_;
}
