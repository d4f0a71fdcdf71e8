// The console program as a fleet tool runs it: its exit code for each outcome, the one line of JSON on
// standard output and nothing else there, the report, the time limit, one run per machine, and the summary
// of a folder of reports from real runs. No UI engine is installed anywhere in these sandboxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <regex>
#include <thread>

#include "pe_imports.h"
#include "tests/process/console_harness.h"
#include "tests/process/run_helpers.h"

namespace {

using console_harness::ConsoleResult;
using console_harness::ConsoleRun;
using console_harness::json;
using console_harness::report_lines;
using console_harness::run_console;
using harness::Sandbox;
using run_helpers::contains;
using run_helpers::library_calls_named;
using run_helpers::listing_order;
using run_helpers::make_files;
namespace fs = std::filesystem;

// The library needs no test folder, so a scan path alone starts a run.
constexpr const char* kNoTestFolder = "flags=scan,backup,overwrite,whole\n";

// The library's answer for each file, in the order the scan meets them.
std::string answers(const fs::path& folder, const std::vector<int>& results) {
  std::string config;
  const auto order = listing_order(folder);
  for (size_t i = 0; i < order.size() && i < results.size(); ++i)
    config += "result=" + order[i] + "," + std::to_string(results[i]) + "\n";
  return config;
}

std::vector<std::string> numbered(size_t count, const std::string& prefix = "file") {
  std::vector<std::string> names;
  for (size_t i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i) + ".kyl");
  return names;
}

// What every run must show, whatever its outcome: one line of JSON and nothing else on standard output,
// within its limit, with the fields a fleet tool reads, and no UI engine needed.
void expectOneOutcomeLine(const ConsoleResult& result, const Sandbox& box) {
  ASSERT_FALSE(result.timed_out);
  ASSERT_TRUE(result.outcome.is_object()) << "standard output: [" << result.out << "] error: " << result.err;
  EXPECT_LE(result.out.size(), 1501u) << "at most 1,500 bytes and the line feed";
  EXPECT_EQ(result.outcome["exitCode"], result.exit_code);
  for (const char* key : {"result", "outcome", "log", "report", "started", "ended", "computer", "version"})
    EXPECT_TRUE(result.outcome[key].is_string()) << key;
  for (const char* key : {"offered", "decrypted", "failed", "notRemoved", "notLocal", "notSearched"})
    EXPECT_TRUE(result.outcome[key].is_number_unsigned()) << key;
  const std::regex utc(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
  EXPECT_TRUE(std::regex_match(result.outcome["started"].get<std::string>(), utc));
  EXPECT_LE(result.outcome["started"].get<std::string>(), result.outcome["ended"].get<std::string>());
  EXPECT_TRUE(result.outcome["log"].get<std::string>().ends_with("\\OstrivelLog.txt"));
  EXPECT_FALSE(fs::exists(box.app_dir() / "sciter.dll"));
}

TEST(ConsoleRun, EachOutcomeHasItsExitCode) {
  const struct {
    const char* name;
    std::vector<int> results;  // one file each
    std::string config;
    std::vector<std::wstring> args;  // {files} stands for the files folder
    bool library = true;
    DWORD code;
    const char* result;
    const char* outcome;  // the start of the outcome line
  } cases[] = {
      {"decrypted", {1, 0, 1}, "", {L"start", L"-scan-path", L"{files}"}, true, 0, "success", "The threat is gone!"},
      {"nothing encrypted",
       {0, 0},
       "",
       {L"start", L"-scan-path", L"{files}"},
       true,
       0,
       "success",
       "Scan finished, no encrypted files have been found!"},
      {"no library",
       {},
       "",
       {L"start", L"-scan-path", L"{files}"},
       false,
       1,
       "library-not-bound",
       "The decryption library could not be bound"},
      {"help", {}, "", {L"-help"}, true, 2, "argument-error", "The help was asked for"},
      {"argument error", {}, "", {L"start"}, true, 2, "argument-error", "Missing scan path argument."},
      {"a time limit that is no number",
       {},
       "",
       {L"start", L"-full-scan", L"-max-minutes", L"soon"},
       true,
       2,
       "argument-error",
       "The provided time limit is not a number"},
      {"library refuses",
       {},
       "init=fail:No key for this family\n",
       {L"start", L"-scan-path", L"{files}"},
       true,
       3,
       "library-refused-to-start",
       "No key for this family"},
      {"some failed",
       {1, 3},
       "",
       {L"start", L"-scan-path", L"{files}"},
       true,
       6,
       "some-files-failed",
       "The recovery process has failed for some files. Only 1 from 2 files were decrypted."},
      {"none decrypted",
       {3, 3},
       "",
       {L"start", L"-scan-path", L"{files}"},
       true,
       7,
       "no-file-decrypted",
       "Your files couldn't be decrypted"},
      {"disk full",
       {2},
       "",
       {L"start", L"-scan-path", L"{files}"},
       true,
       9,
       "disk-full",
       "The recovery process has been stopped due to insufficient disk space."},
      {"nothing to scan", {}, "", {L"start", L"-scan-path"}, true, 11, "other-error", "No folder to scan"},
      {"report folder missing",
       {},
       "",
       {L"start", L"-scan-path", L"{files}", L"-report", L"{files}\\no\\r.jsonl"},
       true,
       11,
       "other-error",
       "Could not make the report file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    make_files(box.files_dir(), numbered(c.results.size()));
    ConsoleRun run;
    if (!c.library) run.library.clear();
    run.library_config = std::string(kNoTestFolder) + c.config + answers(box.files_dir(), c.results);
    for (std::wstring arg : c.args) {
      if (const size_t at = arg.find(L"{files}"); at != std::wstring::npos)
        arg.replace(at, 7, box.files_dir().wstring());
      run.args.push_back(arg);
    }
    const ConsoleResult result = run_console(box, run);
    EXPECT_EQ(result.exit_code, c.code) << result.out << result.err;
    expectOneOutcomeLine(result, box);
    if (!result.outcome.is_object()) continue;
    EXPECT_EQ(result.outcome["result"], c.result);
    EXPECT_EQ(result.outcome["outcome"].get<std::string>().rfind(c.outcome, 0), 0u) << result.outcome["outcome"];
    EXPECT_EQ(result.outcome["offered"], c.results.size());
    EXPECT_FALSE(result.log.empty()) << "the same log file as the windowed program";
  }
}

TEST(ConsoleRun, ArgumentErrorsAndTheHelpGoToStandardErrorAndTheLog) {
  Sandbox box;
  const ConsoleResult help = run_console(box, ConsoleRun{.args = {L"-help"}, .library_config = kNoTestFolder});
  EXPECT_EQ(help.exit_code, 2u);
  const auto logged = help.log_messages();
  for (const char* option : {"-full-scan - ", "-scan-path - ", "-max-minutes - ", "-report - "}) {
    EXPECT_NE(help.err.find(option), std::string::npos) << option << " in: " << help.err;
    EXPECT_TRUE(std::any_of(logged.begin(), logged.end(), [option](const std::string& m) {
      return m.rfind(option, 0) == 0;
    })) << option;
  }
  const ConsoleResult wrong = run_console(box, ConsoleRun{.args = {L"start"}, .library_config = kNoTestFolder});
  EXPECT_NE(wrong.err.find("Missing scan path argument."), std::string::npos) << wrong.err;
  EXPECT_TRUE(contains(wrong.log_messages(true), "Debug: Missing scan path argument."));
  EXPECT_EQ(wrong.out.find("Missing"), wrong.out.rfind("Missing")) << "standard output holds the JSON line only";
}

TEST(ConsoleRun, ALibraryThatRefusesToStartIsLoggedAndPrinted) {
  Sandbox box;
  const ConsoleResult result =
      run_console(box, ConsoleRun{.args = {L"start", L"-scan-path", box.files_dir().wstring()},
                                  .library_config = std::string(kNoTestFolder) + "init=fail:No key\n"});
  EXPECT_EQ(result.exit_code, 3u);
  EXPECT_TRUE(contains(result.log_messages(true), "Info: No key")) << result.log;
  EXPECT_NE(result.err.find("No key"), std::string::npos);
  EXPECT_TRUE(library_calls_named(harness::ToolResult{.library_record = result.library_record}, "Finish").empty());
}

TEST(ConsoleRun, TheReportHasAStartALinePerFileAndFolderAndTheEnd) {
  Sandbox box;
  make_files(box.files_dir(), {"a-decrypted.kyl", "b-failed.kyl", "c-plain.txt", "d-stuck.kyl"});
  // A file that another program holds open without delete sharing cannot be removed, as on Windows (a
  // read-only one is removed all the same).
  const HANDLE holder = CreateFileW((box.files_dir() / "d-stuck.kyl").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const fs::path reports = box.root() / "reports";
  fs::create_directories(reports);
  const std::string config = std::string(kNoTestFolder) + "result=a-*,1\nresult=b-*,3\nresult=d-*,1\n";

  const ConsoleResult result =
      run_console(box, ConsoleRun{.args = {L"start", L"-scan-path", box.files_dir().wstring(), L"-disable-backup",
                                           L"-report", (reports / L"{computer}.jsonl").wstring()},
                                  .library_config = config});
  CloseHandle(holder);
  EXPECT_EQ(result.exit_code, 6u) << result.err;
  expectOneOutcomeLine(result, box);

  // {computer} became the machine's name, as the report itself says it.
  std::vector<fs::path> written;
  for (const auto& entry : fs::directory_iterator(reports)) written.push_back(entry.path());
  ASSERT_EQ(written.size(), 1u);
  const auto lines = report_lines(written[0]);
  ASSERT_GE(lines.size(), 2u);
  const json& start = lines.front();
  EXPECT_EQ(start["type"], "start");
  EXPECT_EQ(written[0].stem().string(), start["computer"].get<std::string>());
  EXPECT_EQ(result.outcome["report"], written[0].string());
  EXPECT_FALSE(start["account"].get<std::string>().empty());
  EXPECT_EQ(start["tool"]["name"], "recovery-run");
  EXPECT_EQ(start["library"]["file"].get<std::string>().ends_with("Keyloom.dll"), true);
  EXPECT_EQ(start["library"]["family"], "Test family");
  EXPECT_EQ(start["library"]["version"], "2.5.0.1");
  EXPECT_EQ(start["commandLine"][1], "start");

  std::map<std::string, json> files;
  for (const json& line : lines)
    if (line["type"] == "file") files[fs::path(line["path"].get<std::string>()).filename().string()] = line;
  EXPECT_EQ(files.size(), 3u) << "no line for a file the library left alone";
  EXPECT_EQ(files["a-decrypted.kyl"]["encryptedCopy"], "removed");
  EXPECT_EQ(files["b-failed.kyl"]["answer"], "Failed");
  EXPECT_EQ(files["b-failed.kyl"]["encryptedCopy"], "kept");
  EXPECT_EQ(files["d-stuck.kyl"]["encryptedCopy"], "removal-refused");
  EXPECT_TRUE(files["d-stuck.kyl"]["error"].is_number_unsigned());
  EXPECT_FALSE(fs::exists(box.files_dir() / "a-decrypted.kyl"));
  EXPECT_TRUE(fs::exists(box.files_dir() / "d-stuck.kyl"));

  json end = lines.back();
  EXPECT_EQ(end["type"], "end");
  end.erase("type");
  EXPECT_EQ(end, result.outcome) << "the report's last line says what standard output says";
  EXPECT_EQ(result.outcome["notRemoved"], 1);
  EXPECT_EQ(result.outcome["offered"], 4);

  // With Backup, the decrypted file's encrypted copy stays.
  const ConsoleResult kept =
      run_console(box, ConsoleRun{.args = {L"start", L"-scan-path", box.files_dir().wstring(), L"-report",
                                           (reports / L"kept.jsonl").wstring()},
                                  .library_config = std::string(kNoTestFolder) + "result=*,1\n"});
  EXPECT_EQ(kept.exit_code, 0u);
  for (const json& line : report_lines(reports / "kept.jsonl")) {
    if (line["type"] == "file") {
      EXPECT_EQ(line["encryptedCopy"], "kept-as-backup") << line;
    }
  }
}

TEST(ConsoleRun, ARunKilledMidwayLeavesEveryLineUpToTheKillAndNoLastLine) {
  Sandbox box;
  make_files(box.files_dir(), numbered(30));
  const fs::path report = box.root() / "killed.jsonl";
  const ConsoleResult result = run_console(
      box, ConsoleRun{.args = {L"start", L"-scan-path", box.files_dir().wstring(), L"-report", report.wstring()},
                      .library_config = std::string(kNoTestFolder) + "result=*,1\ndelay=*,300\n",
                      .timeout_ms = 4000});
  EXPECT_TRUE(result.timed_out) << "the run was ended from outside";
  const auto lines = report_lines(report);
  ASSERT_GE(lines.size(), 2u) << harness::read_file(report);
  EXPECT_EQ(lines.front()["type"], "start");
  EXPECT_EQ(lines.back()["type"], "file") << "no last line: the report says the run did not end";
  EXPECT_TRUE(result.out.empty());
}

TEST(ConsoleRun, TheTimeLimitStopsAfterTheFileInHandAndASecondRunMeanwhileEndsWith1618) {
  Sandbox box;
  make_files(box.files_dir(), numbered(12));
  const std::string config = std::string(kNoTestFolder) + "result=*,1\ndelay=*,1000\n";
  ConsoleResult first;
  std::thread running([&] {
    first = run_console(box, ConsoleRun{.args = {L"start", L"-scan-path", box.files_dir().wstring(), L"-max-minutes",
                                                 L"0.06", L"-report", (box.root() / "first.jsonl").wstring()},
                                        .library_config = config});
  });
  // Once the first run has its first file in hand, a second one starts on the same machine.
  for (int i = 0;
       i < 400 && harness::read_file(box.app_dir() / "Keyloom.dll.record").find("Begin") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  Sandbox other("second run");
  const ConsoleResult second =
      run_console(other, ConsoleRun{.args = {L"start", L"-scan-path", other.files_dir().wstring(), L"-report",
                                             (box.root() / "first.jsonl").wstring()},
                                    .library_config = kNoTestFolder});
  running.join();

  EXPECT_EQ(second.exit_code, 1618u) << second.out << second.err;
  expectOneOutcomeLine(second, other);
  EXPECT_EQ(second.outcome["result"], "another-run-is-going");
  EXPECT_EQ(library_calls_named(harness::ToolResult{.library_record = second.library_record}, "Init").size(), 0u)
      << "it ends at once, before the library starts";

  EXPECT_EQ(first.exit_code, 10u) << first.out << first.err;
  expectOneOutcomeLine(first, box);
  EXPECT_EQ(first.outcome["stoppedBy"], "time-limit");
  const auto calls = first.library_calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "Finish");
  const size_t begun =
      std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("Begin", 0) == 0; });
  const size_t answered =
      library_calls_named(harness::ToolResult{.library_record = first.library_record}, "DecryptSingleFile").size();
  EXPECT_EQ(begun, answered) << "the file in hand was finished";
  // How many files fit before the limit depends on the machine; that one was in hand is what the wait above saw.
  EXPECT_GE(answered, 1u);
  EXPECT_LT(answered, 12u) << "no further file after the limit";
  EXPECT_EQ(first.outcome["offered"], answered);
  const auto lines = report_lines(box.root() / "first.jsonl");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front()["type"], "start") << "the second run left the first one's report alone";
  EXPECT_EQ(lines.back()["exitCode"], 10);
  const auto logged = first.log_messages();
  EXPECT_TRUE(std::any_of(logged.begin(), logged.end(),
                          [](const std::string& m) { return m.find("time limit") != std::string::npos; }));
}

TEST(ConsoleRun, TheProgramNeedsNoUiEngineAndNamesNone) {
  const std::string program = harness::read_file(harness::bin_dir() / CONSOLE_FILE_NAME);
  ASSERT_FALSE(program.empty());
  const auto lower = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
    return text;
  };
  EXPECT_EQ(lower(program).find("sciter"), std::string::npos) << "the UI engine's name is nowhere in the program";
  std::vector<keyloom_check::ImportedFunction> imports;
  std::string error;
  ASSERT_TRUE(keyloom_check::readImports(program, imports, error)) << error;
  ASSERT_FALSE(imports.empty());
  for (const auto& imported : imports) {
    // A console program that loads user32 no longer hears of log-off and shut-down.
    EXPECT_NE(lower(imported.library), "user32.dll") << imported.name;
  }
}

// A report as another machine would have written it: the same run, its computer's name changed.
void asMachine(const fs::path& report, const std::string& computer) {
  std::string text = harness::read_file(report);
  text = std::regex_replace(text, std::regex(R"("computer":"[^"]*")"), "\"computer\":\"" + computer + "\"");
  harness::write_file(report, text);
}

TEST(ConsoleSummary, AFolderOfReportsFromRealRunsAsATableAndAsCsv) {
  Sandbox box;
  const fs::path reports = box.root() / "share";
  fs::create_directories(reports);
  make_files(box.files_dir(), numbered(20));
  const auto report_of = [&](const char* name) { return (reports / name).wstring(); };
  const std::vector<std::wstring> scan = {L"start", L"-scan-path", box.files_dir().wstring(), L"-report"};
  const auto with = [&scan](std::wstring report) {
    auto args = scan;
    args.push_back(std::move(report));
    return args;
  };
  ConsoleRun ended{.args = with(report_of("ended.jsonl")),
                   .library_config = std::string(kNoTestFolder) + "result=*,1\n"};
  EXPECT_EQ(run_console(box, ended).exit_code, 0u);
  ConsoleRun failed{.args = with(report_of("failed.jsonl")),
                    .library_config = std::string(kNoTestFolder) + "result=*,3\n"};
  EXPECT_EQ(run_console(box, failed).exit_code, 7u);
  ConsoleRun killed{.args = with(report_of("killed.jsonl")),
                    .library_config = std::string(kNoTestFolder) + "result=*,1\ndelay=*,300\n",
                    .timeout_ms = 3500};
  EXPECT_TRUE(run_console(box, killed).timed_out);
  asMachine(reports / "ended.jsonl", "PC-ENDED");
  asMachine(reports / "failed.jsonl", "PC-FAILED");
  asMachine(reports / "killed.jsonl", "PC-KILLED");
  harness::write_file(reports / "notes.txt", "not a report\n");

  const fs::path csv = box.root() / "fleet.csv";
  const ConsoleResult summary =
      run_console(box, ConsoleRun{.library = L"", .args = {L"summary", reports.wstring(), L"-csv", csv.wstring()}});
  EXPECT_EQ(summary.exit_code, 0u) << summary.err;
  std::istringstream table(summary.out);
  std::vector<std::string> rows;
  for (std::string line; std::getline(table, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 5u) << summary.out;
  EXPECT_EQ(rows[0].rfind("Computer", 0), 0u);
  EXPECT_TRUE(std::regex_search(rows[1], std::regex(R"(^PC-ENDED +success +0 +20 +20 +0 )"))) << rows[1];
  EXPECT_TRUE(std::regex_search(rows[2], std::regex(R"(^PC-FAILED +no-file-decrypted +7 +20 +0 +20 )"))) << rows[2];
  EXPECT_TRUE(std::regex_search(rows[3], std::regex(R"(^PC-KILLED +did not end +- +- +\d+ +0 .* -$)"))) << rows[3];
  EXPECT_EQ(rows[4], "3 machines, 2 reports ended, 1 did not end");
  EXPECT_NE(summary.err.find("1 files of the folder are not reports"), std::string::npos) << summary.err;

  const std::string text = harness::read_file(csv);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
  EXPECT_NE(text.find("\"PC-KILLED\",\"did not end\",\"-\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"PC-FAILED\",\"no-file-decrypted\",\"7\",\"20\",\"0\",\"20\""), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n"), std::string::npos) << "CSV lines end with CR LF";
}

}  // namespace
