#include "coordinator.h"

#include <fmt/format.h>

#include "import_checks.h"
#include "report.h"
#include "rules.h"
#include "text.h"

namespace keyloom_check {

bool parseArguments(const std::vector<std::wstring>& args, CheckArguments& parsed, std::string& error) {
  parsed = CheckArguments{};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (arg == L"--samples" || arg == L"--test-path") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = utf8FromWide(arg) + " needs a folder";
        return false;
      }
      (arg == L"--samples" ? parsed.samples : parsed.testPath) = args[++i];
    } else if (arg.starts_with(L"--") || !parsed.library.empty()) {
      error = "unexpected argument " + utf8FromWide(arg);
      return false;
    } else {
      parsed.library = arg;
    }
  }
  if (parsed.library.empty()) {
    error = "no library given";
    return false;
  }
  return true;
}

int checkLibrary(const CheckArguments& arguments, const CoordinatorPlatform& platform) {
  const std::wstring work = platform.makeWorkFolder();
  if (work.empty()) {
    platform.print("keyloom-check: could not make a work folder in the temporary folder\n");
    return 2;
  }
  std::vector<std::vector<Row>> sessions;
  const auto run = [&](SessionKind kind) {
    const SessionOutput output = platform.runSession(kind, work + L"\\" + sessionName(kind));
    sessions.push_back(protocol::rowsFromSession(output.protocol, output.end));
  };
  run(SessionKind::Info);
  const bool bound = !sessions.front().empty() && sessions.front().front().id == rules::kExports &&
                     sessions.front().front().status == Status::Passed;
  if (bound) {
    std::string libraryFile;
    sessions.push_back({platform.readFile(arguments.library, libraryFile)
                            ? checkCrtStatImports(libraryFile)
                            : Row{rules::kCrtStatImports, rules::title(rules::kCrtStatImports), Status::Skipped,
                                  "the library's file could not be read"}});
    run(SessionKind::Foreign);
    if (!arguments.samples.empty()) {
      run(SessionKind::Samples);
      // The run that is killed mid-write leaves its folder to the next one, which is judged.
      const std::wstring interrupted = work + L"\\" + sessionName(SessionKind::Interrupted);
      const SessionOutput killed = platform.runSession(SessionKind::Interrupted, interrupted);
      const bool endedByTheChecker = !killed.end.timedOut && killed.end.exitCode == protocol::kKilledMidWriteExitCode;
      const SessionOutput judged =
          endedByTheChecker ? platform.runSession(SessionKind::AfterInterruption, interrupted) : killed;
      sessions.push_back(protocol::rowsFromSession(judged.protocol, judged.end));
      run(SessionKind::FullDisk);
    }
  }

  const std::vector<Row> rows = mergeRows(sessions);
  const int code = exitCode(rows);
  std::string heading = "keyloom-check " + utf8FromWide(arguments.library);
  if (!arguments.samples.empty()) heading += " --samples " + utf8FromWide(arguments.samples);
  if (!arguments.testPath.empty()) heading += " --test-path " + utf8FromWide(arguments.testPath);
  std::string text = formatReport(heading, rows);
  if (!bound) text += "The library cannot be bound, so nothing else was checked.\n";
  if (code == 0) {
    platform.removeWorkFolder(work);
  } else {
    text += "The checker's own files are kept for a look: " + utf8FromWide(work) + "\n";
  }
  platform.print(text);
  return code;
}

}  // namespace keyloom_check
