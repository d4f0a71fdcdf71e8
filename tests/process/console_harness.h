// Runs recovery-run.exe as a fleet tool would: in a sandbox of its own (harness.h), with the library in
// its working directory and no UI engine anywhere, standard output and standard error captured apart.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/process/harness.h"

namespace console_harness {

namespace fs = std::filesystem;
using json = harness::json;

struct ConsoleRun {
  std::wstring library = L"keyloom-test.dll";  // file in the bin folder installed as Keyloom.dll; empty: none
  std::vector<std::wstring> args;              // after the program path
  std::string library_config;                  // keyloom-test.dll's answers
  DWORD timeout_ms = 60000;                    // the program is ended once this has passed
};

struct ConsoleResult {
  DWORD exit_code = 0;
  bool timed_out = false;
  std::string out, err;  // standard output and standard error, as written
  std::string log;
  std::string library_record;
  json outcome;  // standard output parsed as one JSON object; null when it is not exactly one line of it

  std::vector<std::string> library_calls() const;
  std::vector<std::string> log_messages(bool with_level = false) const;
};

// Installs the program (under the name recovery-run.exe) and the library in the sandbox's app folder, the
// working directory, and runs it there; returns once it has ended.
ConsoleResult run_console(harness::Sandbox& box, const ConsoleRun& run);

// The report's lines, each parsed; a line that does not parse fails the test. Only whole lines count.
std::vector<json> report_lines(const fs::path& report);

}  // namespace console_harness
