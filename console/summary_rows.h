// A fleet's reports at a glance: each report in a folder is read line by line, and each machine's newest
// report becomes one row, printed as a table and, on request, as CSV. Reports come from a share that many
// machines, and perhaps the malware, could write: every line is parsed on its own, a line that does not
// parse or says something unexpected is passed over, and the texts are made harmless for a console and a
// spreadsheet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/report_lines.h"

struct MachineRow {
  std::string computer;
  std::string file;            // the report's file name
  std::string started, ended;  // as the report has them; ended is empty when the report did not end
  bool didEnd = false;         // the report has its last line
  int exitCode = -1;           // from the last line
  std::string result;          // the exit code's word, or "did not end"
  RunCounts counts;            // from the last line; counted from the file lines when it did not end
  std::string outcome;
};

// Reads one report as it comes, in pieces of any size. A file whose first line is not a report's first
// line is none. Only whole lines count: what follows the last line feed is a line that a kill cut short.
class ReportReader {
 public:
  static constexpr size_t kLongestLine = 1 << 20;  // a longer line is passed over

  explicit ReportReader(std::string fileName);
  // False once the file has shown it is not a report: the rest need not be read.
  bool feed(std::string_view bytes);
  std::optional<MachineRow> row() const;

 private:
  bool line(std::string_view text);

  MachineRow row_;
  bool first_ = true;
  bool isReport_ = false;
  std::string pending_;  // the line being read
  bool overlong_ = false;
};

// Each computer's newest report (by its start time, then by its file name).
std::vector<MachineRow> newestPerMachine(std::vector<MachineRow> rows);

// A table for the console, one row per machine, sorted by computer name.
std::string summaryTable(const std::vector<MachineRow>& rows);
// The same rows as CSV lines (a header first), each field quoted, and a field that a spreadsheet would
// take for a formula made plain text.
std::vector<std::string> summaryCsvLines(const std::vector<MachineRow>& rows);
