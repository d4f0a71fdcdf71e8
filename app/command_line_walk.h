// The command line's meaning, apart from the system: which run it asks for, or why it asks for none,
// as the lines that go to the log.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_settings.h"

struct PathCheck {
  bool exists = false;
  std::string problem;  // set when the answer is a guess because the check itself failed; logged first
};

struct CommandLineSystem {
  bool testPathEnabled = false;                                  // the library needs a test folder
  std::function<PathCheck(const std::wstring& path)> checkPath;  // relative paths: the working directory
  std::function<std::string(std::wstring_view text)> toAnsi;     // the log's 8-bit text
};

struct CommandLineOutcome {
  bool startRun = false;              // false: the parse failed (the help request included)
  RunSettings settings;               // meaningful when startRun is set
  std::vector<std::string> logLines;  // every line at Debug level, in order
};

// arguments[0] is the program path.
CommandLineOutcome walkCommandLine(const std::vector<std::wstring>& arguments, const CommandLineSystem& system);
