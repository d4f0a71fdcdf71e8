// The console program's observer of the run: it writes a report line for each file the library decrypted
// or failed and for each folder or drive not searched, counts what the standard output tells, and keeps
// the folder being searched for the progress line. Called on the run thread; read from the main thread.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "console/line_sink.h"
#include "console/report_lines.h"
#include "engine/run_events.h"

class RunTally : public RunObserver {
 public:
  // report may be null (no -report); errorText gives the system's text (UTF-8) for an error code.
  RunTally(LineSink* report, std::function<std::string(uint32_t)> errorText);

  void searching(const std::wstring& folder) override;
  void fileAnswered(const FileAnswer& answer) override;
  void notSearched(const NotSearched& what) override;
  void passedOverAsNotHere(const std::wstring& path) override;
  void runEnded(const RunReport& report) override;

  // offered, notRemoved, notLocal and notSearched; decrypted and failed are the run's own counters.
  RunCounts counts() const;
  std::wstring folder() const;
  std::optional<RunReport> ended() const;

 private:
  void write(const std::string& line);

  LineSink* report_;
  std::function<std::string(uint32_t)> errorText_;
  std::atomic<uint64_t> offered_{0}, notRemoved_{0}, notSearched_{0}, notLocal_{0};
  mutable std::mutex lock_;  // guards folder_ and ended_
  std::wstring folder_;
  std::optional<RunReport> ended_;
};
