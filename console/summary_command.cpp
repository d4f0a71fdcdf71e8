// "summary <folder> [-csv <file>]": one row per machine, its newest report, printed as a table on standard
// output and, with -csv, written as CSV. It needs no decryption library and changes nothing but the CSV file.
#include <fmt/format.h>

#include "console/console_streams.h"
#include "console/exit_codes.h"
#include "console/machine_facts.h"
#include "console/output_file.h"
#include "console/report_folder.h"
#include "console/run_command.h"
#include "console/summary_rows.h"
#include "text/encodings.h"

namespace {

constexpr const wchar_t* kUsage =
    L"Usage: recovery-run summary <folder of reports> [-csv <file>]\n"
    L"Prints one row per machine, from its newest report in the folder; -csv also writes the rows as CSV.\n";

}  // namespace

int summaryCommand(const std::vector<std::wstring>& arguments) {
  ConsoleStreams& streams = systemStreams();
  std::wstring folder, csv;
  bool wrong = arguments.size() < 3;
  for (size_t i = 2; i < arguments.size() && !wrong; ++i) {
    if (arguments[i] == L"-csv" && i + 1 < arguments.size()) {
      csv = arguments[++i];
    } else if (folder.empty() && arguments[i] != L"-csv" && arguments[i] != L"-help") {
      folder = arguments[i];
    } else {
      wrong = true;
    }
  }
  if (wrong || folder.empty()) {
    streams.writeError(kUsage);
    return static_cast<int>(ExitCode::ArgumentError);
  }

  const FolderReading reading = readReportFolder(folder);
  if (!reading.problem.empty()) {
    streams.writeError(L"Could not list the folder \"" + folder + L"\": " + text::wide_from_utf8(reading.problem) +
                       L"\n");
    return static_cast<int>(ExitCode::Other);
  }
  const std::vector<MachineRow> rows = newestPerMachine(reading.reports);
  streams.writeOutput(summaryTable(rows));
  if (reading.otherFiles > 0) {
    streams.writeError(text::wide_from_utf8(fmt::format(
        "{} files of the folder are not reports (or are links, which are not followed).\n", reading.otherFiles)));
  }
  if (csv.empty()) return static_cast<int>(ExitCode::Success);

  OutputOpening opening = openOutputFile(csv);
  bool written = opening.sink != nullptr;
  // CSV lines end with CR LF, as spreadsheets expect.
  for (const std::string& line : summaryCsvLines(rows)) {
    if (written) written = opening.sink->writeLine(line + "\r");
  }
  if (!written) {
    const std::string why = opening.sink ? systemMessageUtf8(opening.sink->error()) : opening.problem;
    streams.writeError(L"Could not write the CSV file \"" + csv + L"\": " + text::wide_from_utf8(why) + L"\n");
    return static_cast<int>(ExitCode::Other);
  }
  return static_cast<int>(ExitCode::Success);
}
