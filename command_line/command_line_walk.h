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

// An option of one front end's own that takes a value, such as the console program's -report: the walk
// knows it, so it is not an unknown argument, lists it in the help after silent mode's own, and hands its
// value back for the front end to judge.
struct FrontEndOption {
  std::wstring name;
  const char* description = "";
};

struct CommandLineSystem {
  bool testPathEnabled = false;                                  // the library needs a test folder
  std::function<PathCheck(const std::wstring& path)> checkPath;  // relative paths: the working directory
  std::function<std::string(std::wstring_view text)> toAnsi;     // the log's 8-bit text
  std::vector<FrontEndOption> frontEndOptions;                   // none for the windowed program
};

struct FrontEndValue {
  std::wstring name;
  bool named = false;  // the option is on the command line
  bool given = false;  // a value followed it: the argument after its last use that had one
  std::wstring value;
};

struct CommandLineOutcome {
  bool startRun = false;                      // false: the parse failed (the help request included)
  bool helpRequested = false;                 // the failure is the help request
  RunSettings settings;                       // meaningful when startRun is set
  std::vector<std::string> logLines;          // every line at Debug level, in order
  std::vector<FrontEndValue> frontEndValues;  // one per front-end option named, in the system's order
};

// arguments[0] is the program path.
CommandLineOutcome walkCommandLine(const std::vector<std::wstring>& arguments, const CommandLineSystem& system);
