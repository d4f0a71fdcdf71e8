// The checker's own process: reads the command line, runs each session in a process of its own (so that a
// crash or a hang is caught and named), joins their rows into the report and sets the exit code.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "protocol.h"
#include "session.h"

namespace keyloom_check {

struct CheckArguments {
  std::wstring library;
  std::wstring samples;   // empty: none
  std::wstring testPath;  // empty: none
};

// args: the arguments after the program's name. On false, error says what is wrong.
bool parseArguments(const std::vector<std::wstring>& args, CheckArguments& parsed, std::string& error);

inline constexpr const char* kUsage =
    "usage: keyloom-check <library.dll> [--samples <folder>] [--test-path <folder>]\n"
    "Give it copies: the library is handed copies the checker makes of the samples, but it reads the test "
    "folder where it is.\n";

struct SessionOutput {
  std::string protocol;
  protocol::SessionEnd end;
};

struct CoordinatorPlatform {
  std::function<std::wstring()> makeWorkFolder;  // a new, empty folder of the checker's own; empty on failure
  std::function<SessionOutput(SessionKind kind, const std::wstring& sessionFolder)> runSession;
  std::function<void(const std::wstring& workFolder)> removeWorkFolder;
  std::function<bool(const std::wstring& path, std::string& bytes)> readFile;  // the library's own bytes
  std::function<void(const std::string& text)> print;
};

int checkLibrary(const CheckArguments& arguments, const CoordinatorPlatform& platform);

}  // namespace keyloom_check
