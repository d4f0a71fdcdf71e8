// A run from the console: silent mode's command line and run, bound to the console instead of the window.
// It ends by itself, says its outcome in its exit code and in one line of JSON on standard output, keeps a
// report of every file, and stops cleanly at a time limit or a console signal.
#include "console/run_command.h"

#include <atomic>
#include <chrono>
#include <fmt/format.h>
#include <memory>
#include <system_error>

#include "command_line/command_line_walk.h"
#include "command_line/path_check.h"
#include "console/console_options.h"
#include "console/console_page.h"
#include "console/console_streams.h"
#include "console/exit_codes.h"
#include "console/machine_facts.h"
#include "console/one_run_guard.h"
#include "console/output_file.h"
#include "console/progress_line.h"
#include "console/report_lines.h"
#include "console/run_tally.h"
#include "console/stop_signals.h"
#include "engine/decryptor.h"
#include "engine/folder_system.h"
#include "log/log_file.h"
#include "text/encodings.h"

namespace {

using Clock = std::chrono::steady_clock;

// Set once, before any other thread exists.
std::string logPath;

void consoleLog(std::string_view message, int level) { writeLogLine(logPath, message, level); }

std::string utf8FromAnsi(std::string_view ansi) { return text::utf8_from_wide(text::wide_from_ansi(ansi)); }

// The first stop is the one reported; a stop before the run starts keeps it from starting.
class Stops {
 public:
  explicit Stops(Decryptor& decryptor) : decryptor_(decryptor) {}
  void ask(StopCause cause) {
    StopCause none = StopCause::None;
    if (cause_.compare_exchange_strong(none, cause)) {
      consoleLog(fmt::format("The run was asked to stop ({}).", stopCauseWord(cause)), Info);
    }
    decryptor_.requestStop();
  }
  StopCause cause() const { return cause_.load(); }

 private:
  Decryptor& decryptor_;
  std::atomic<StopCause> cause_{StopCause::None};
};

class ConsoleRun {
 public:
  explicit ConsoleRun(std::vector<std::wstring> arguments)
      : arguments_(std::move(arguments)),
        streams_(systemStreams()),
        decryptor_(Decryptor::instance()),
        stops_(decryptor_) {}

  ExitCode run();

 private:
  ExitCode finish(ExitCode code, std::string outcome);
  void tell(const std::string& ansiLine) { streams_.writeError(text::wide_from_ansi(ansiLine) + L"\n"); }
  void tellUtf8(const std::string& line) { streams_.writeError(text::wide_from_utf8(line) + L"\n"); }
  RunStart startFacts() const;
  void watchTheRun(const ConsoleOptions& options);

  const std::vector<std::wstring> arguments_;
  ConsoleStreams& streams_;
  Decryptor& decryptor_;
  Stops stops_;
  const std::chrono::system_clock::time_point started_ = std::chrono::system_clock::now();
  const Clock::time_point startedSteady_ = Clock::now();
  MachineFacts machine_;
  ConsolePage page_;
  std::unique_ptr<LineSink> report_;
  std::unique_ptr<RunTally> tally_;
  std::unique_ptr<OneRunGuard> guard_;
  RunEnd end_;
  std::atomic<bool> ended_{false};
  bool progressShown_ = false;
};

RunStart ConsoleRun::startFacts() const {
  RunStart start;
  start.computer = text::utf8_from_wide(machine_.computer);
  start.account = text::utf8_from_wide(machine_.account);
  start.tool = "recovery-run";
  start.toolVersion = TOOL_VERSION;
  start.library.file = text::utf8_from_wide(decryptor_.libraryPath);
  if (decryptor_.info) {
    start.library.family = utf8FromAnsi(decryptor_.info->name ? decryptor_.info->name : "");
    start.library.description = utf8FromAnsi(decryptor_.info->description ? decryptor_.info->description : "");
  }
  start.library.version = fileVersionOf(fullPathOrAsGiven(decryptor_.libraryPath));
  for (const std::wstring& argument : arguments_) start.commandLine.push_back(text::utf8_from_wide(argument));
  start.started = started_;
  return start;
}

ExitCode ConsoleRun::finish(ExitCode code, std::string outcome) {
  end_.code = code;
  end_.outcome = std::move(outcome);
  end_.ended = std::chrono::system_clock::now();
  if (tally_) {
    const RunCounts seen = tally_->counts();
    end_.counts.offered = seen.offered;
    end_.counts.notRemoved = seen.notRemoved;
    end_.counts.notLocal = seen.notLocal;
    end_.counts.notSearched = seen.notSearched;
  }
  end_.counts.decrypted = decryptor_.decryptedCount;
  end_.counts.failed = decryptor_.failedCount;
  if (code == ExitCode::Stopped) end_.stoppedBy = stopCauseWord(stops_.cause());
  if (report_) {
    report_->writeLine(endLine(end_));
    if (report_->error() != 0) {
      end_.reportError = "The report could not be written to the end: " + systemMessageUtf8(report_->error());
      consoleLog(end_.reportError, Info);
    }
  }
  if (progressShown_) streams_.writeError(clearedProgressLine(streams_.errorWidth()));
  streams_.writeOutput(outcomeLine(end_) + "\n");
  ended_ = true;
  return code;
}

void ConsoleRun::watchTheRun(const ConsoleOptions& options) {
  ProgressPace pace;
  bool limitReached = false;
  while (!decryptor_.run.waitForEnd(std::chrono::milliseconds(50))) {
    const Clock::time_point now = Clock::now();
    if (options.timeLimit && !limitReached && now - startedSteady_ >= *options.timeLimit) {
      limitReached = true;
      consoleLog(fmt::format("The time limit of {:g} minutes (-max-minutes) has passed: no further file is started.",
                             static_cast<double>(options.timeLimit->count()) / 60000),
                 Info);
      stops_.ask(StopCause::TimeLimit);
    }
    if (streams_.errorIsConsole() && pace.due(now)) {
      progressShown_ = true;
      streams_.writeError(
          progressLine({tally_->counts().offered, decryptor_.decryptedCount, decryptor_.failedCount, tally_->folder()},
                       streams_.errorWidth()));
    }
  }
  decryptor_.run.wait();
}

ExitCode ConsoleRun::run() {
  machine_ = machineFacts();
  logPath = logFilePath();
  decryptor_.window = &page_;
  decryptor_.log = &consoleLog;
  end_.started = started_;
  end_.computer = text::utf8_from_wide(machine_.computer);
  end_.version = TOOL_VERSION;
  end_.logPath = utf8FromAnsi(logPath);
  installStopSignals([this](StopCause cause) { stops_.ask(cause); }, [this] { return ended_.load(); },
                     machine_.inServicesSession);

  if (!decryptor_.loadLibrary()) {
    tell("Could not bind the decryption library Keyloom.dll of the working directory; the log says why: " + logPath);
    return finish(ExitCode::LibraryNotBound, "The decryption library could not be bound; the log says why.");
  }
  decryptor_.publishToolInfo();
  if (windowLibraryLoaded()) {
    consoleLog(
        "The decryption library loads user32.dll: Windows then no longer tells this program of a log-off or "
        "a shut-down, and a run that one of them ends leaves a report without its last line.",
        Info);
  }

  CommandLineSystem system;
  system.testPathEnabled = decryptor_.info && decryptor_.info->testPathEnabled;
  system.checkPath = checkPathExists;
  system.toAnsi = [](std::wstring_view wide) { return text::ansi_from_wide(wide); };
  system.frontEndOptions = kConsoleOptions;
  CommandLineOutcome outcome = walkCommandLine(arguments_, system);
  for (const std::string& line : outcome.logLines) consoleLog(line, Debug);
  if (!outcome.startRun) {
    // The first line only repeats the command line.
    for (size_t i = 1; i < outcome.logLines.size(); ++i) tell(outcome.logLines[i]);
    if (!outcome.helpRequested) tell("Error parsing arguments! The log has the same lines: " + logPath);
    return finish(ExitCode::ArgumentError, outcome.helpRequested ? "The help was asked for; nothing was done."
                                                                 : utf8FromAnsi(outcome.logLines.back()));
  }
  const ConsoleOptions options = readConsoleOptions(outcome.frontEndValues, machine_.computer);
  if (!options.problem.empty()) {
    consoleLog(options.problem, Debug);
    tell(options.problem);
    return finish(ExitCode::ArgumentError, utf8FromAnsi(options.problem));
  }

  if (!machine_.elevated) {
    const std::string refusal =
        "This program must run with an administrator's full rights (an elevated command prompt, or the system "
        "account); nothing was done.";
    consoleLog(refusal, Info);
    tell(refusal);
    return finish(ExitCode::Other, refusal);
  }
  guard_ = takeOneRunGuard();
  if (guard_->verdict() == GuardVerdict::AnotherRun) {
    const std::string busy = "Another run of this tool is going on on this machine; nothing was done. Try again later.";
    consoleLog(busy, Info);
    tell(busy);
    return finish(ExitCode::AnotherRun, busy);
  }
  if (guard_->verdict() == GuardVerdict::Blocked) {
    const std::string blocked = blockedGuardMessage(guard_->answers());
    consoleLog(blocked, Info);
    tellUtf8(blocked);
    return finish(ExitCode::Other, blocked);
  }

  if (!options.reportPath.empty()) {
    end_.reportPath = text::utf8_from_wide(options.reportPath);
    OutputOpening opening = openOutputFile(options.reportPath);
    if (!opening.sink) {
      const std::string problem =
          fmt::format("Could not make the report file \"{}\": {}. Nothing was done.", end_.reportPath, opening.problem);
      consoleLog(problem, Info);
      tellUtf8(problem);
      return finish(ExitCode::Other, problem);
    }
    report_ = std::move(opening.sink);
  }
  tally_ = std::make_unique<RunTally>(report_.get(), systemMessageUtf8);
  decryptor_.observer = tally_.get();
  if (report_) report_->writeLine(startLine(startFacts()));

  if (stops_.cause() != StopCause::None) {
    return finish(ExitCode::Stopped, "The run was stopped before it started; nothing was done.");
  }
  try {
    decryptor_.startRun(std::make_unique<RunSettings>(std::move(outcome.settings)));
  } catch (const std::system_error& error) {
    const std::string problem = fmt::format("Could not start the decryption run: {}", error.what());
    consoleLog(problem, Debug);
    return finish(ExitCode::Other, utf8FromAnsi(problem));
  }
  // A stop that came while the run was being started is asked for again, now that the run can keep it.
  if (stops_.cause() != StopCause::None) decryptor_.requestStop();
  watchTheRun(options);

  const std::optional<RunReport> report = tally_->ended();
  if (!report) return finish(ExitCode::Other, "The run ended without a report.");
  const std::string message =
      report->encoding == TextEncoding::Utf8 ? report->finalMessage : utf8FromAnsi(report->finalMessage);
  const ExitCode code = exitCodeForRun(*report, decryptor_.decryptedCount);
  if (code == ExitCode::InitRefused) tellUtf8("The decryption library refused to start: " + message);
  return finish(code, message);
}

}  // namespace

int runCommand(const std::vector<std::wstring>& arguments) {
  // Never destroyed: a console signal may still reach its handler, on the system's thread, while the
  // process ends.
  static ConsoleRun* run = new ConsoleRun(arguments);
  return static_cast<int>(run->run());
}
