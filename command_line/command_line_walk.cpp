#include "command_line/command_line_walk.h"

#include <algorithm>
#include <fmt/format.h>

#include "command_line/command_line_options.h"

namespace {

bool contains(const std::vector<std::wstring>& arguments, std::wstring_view wanted) {
  return std::find(arguments.begin(), arguments.end(), wanted) != arguments.end();
}

CommandLineOutcome failure(CommandLineOutcome outcome, const char* line) {
  outcome.logLines.emplace_back(line);
  outcome.startRun = false;
  return outcome;
}

}  // namespace

CommandLineOutcome walkCommandLine(const std::vector<std::wstring>& arguments, const CommandLineSystem& system) {
  CommandLineOutcome outcome;
  std::string listed;
  for (const std::wstring& argument : arguments) listed += " " + system.toAnsi(argument);
  outcome.logLines.push_back(
      fmt::format("The tool has been executed with the following command line arguments: {}", listed));

  if (!contains(arguments, L"start")) {
    if (!contains(arguments, kHelpOption)) {
      return failure(std::move(outcome), "Missing \"start\" argument for allowing silent execution.");
    }
    outcome.logLines.emplace_back("Silent execution parameters:");
    for (const auto& [name, description] : commandLineOptions) {
      if (name == L"-test-path" && !system.testPathEnabled) continue;
      outcome.logLines.push_back(fmt::format("{} - {}", system.toAnsi(name), description));
    }
    for (const FrontEndOption& option : system.frontEndOptions) {
      outcome.logLines.push_back(fmt::format("{} - {}", system.toAnsi(option.name), option.description));
    }
    outcome.helpRequested = true;
    return outcome;
  }
  if (!contains(arguments, L"-scan-path") && !contains(arguments, L"-full-scan")) {
    return failure(std::move(outcome), "Missing scan path argument.");
  }
  if (system.testPathEnabled && !contains(arguments, L"-test-path")) {
    return failure(std::move(outcome), "Missing test path argument.");
  }

  bool backup = true, wholeScan = false, replace = false;
  for (const FrontEndOption& option : system.frontEndOptions) outcome.frontEndValues.push_back({option.name});
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    const auto frontEnd = std::find_if(outcome.frontEndValues.begin(), outcome.frontEndValues.end(),
                                       [&argument](const FrontEndValue& v) { return v.name == argument; });
    if (frontEnd != outcome.frontEndValues.end()) {
      frontEnd->named = true;
      if (i + 1 >= arguments.size()) continue;  // nothing follows: the front end decides what that means
      frontEnd->given = true;
      frontEnd->value = arguments[++i];
      continue;
    }
    const bool isScanPath = argument == L"-scan-path";
    if (isScanPath || argument == L"-test-path") {
      if (i + 1 >= arguments.size()) continue;  // nothing follows: the option does nothing
      const std::wstring& path = arguments[++i];
      (isScanPath ? outcome.settings.scanPath : outcome.settings.testPath) = path;
      // A NUL would cut the path where the system reads it, so it would name another file: such a path
      // does not exist.
      const PathCheck check = path.find(L'\0') == std::wstring::npos ? system.checkPath(path) : PathCheck{};
      if (!check.problem.empty()) outcome.logLines.push_back(check.problem);
      if (!check.exists) {
        return failure(std::move(outcome), isScanPath ? "The provided scan path does not exist!"
                                                      : "The provided test path does not exist!");
      }
    } else if (argument == L"-disable-backup") {
      backup = false;
    } else if (argument == L"-full-scan") {
      wholeScan = true;
    } else if (argument == L"-replace-existing") {
      replace = true;
    } else if (argument != L"start") {
      outcome.logLines.push_back(fmt::format("Ignoring unknown argument \"{}\".", system.toAnsi(argument)));
    }
  }
  outcome.settings.options = {{backup, 1}, {wholeScan, 2}, {replace, 3}};
  outcome.startRun = true;
  return outcome;
}
