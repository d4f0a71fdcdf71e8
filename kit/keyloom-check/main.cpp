// keyloom-check <library.dll> [--samples <folder>] [--test-path <folder>]
// Started again by itself with --session <kind> ... to run one session in a process of its own.
#include <string>
#include <vector>

#include "coordinator.h"
#include "engine/folder_system.h"
#include "platform.h"
#include "rules.h"
#include "session.h"
#include "text.h"

namespace {

using namespace keyloom_check;

int runSessionProcess(const std::vector<std::wstring>& args) {
  SessionSettings settings;
  std::wstring libraryPath, protocolPath;
  for (size_t i = 0; i + 1 < args.size(); i += 2) {
    const std::wstring& key = args[i];
    const std::wstring& value = args[i + 1];
    if (key == L"--session" && !sessionFromName(value, settings.kind)) return 2;
    if (key == L"--library") libraryPath = value;
    if (key == L"--work") settings.workFolder = value;
    if (key == L"--protocol") protocolPath = value;
    if (key == L"--samples") settings.samplesFolder = value;
    if (key == L"--test-path") settings.testPath = value;
  }
  SessionPlatform platform = platform::sessionPlatform(protocolPath);
  platform.makeFolder(settings.workFolder);
  CheckedLibrary library;
  std::string error;
  if (!platform::loadLibrary(libraryPath, library, error)) {
    platform.emit(protocol::rowLine(Row{rules::kExports, "", Status::Failed, error}));
    platform.emit(protocol::kDoneLine);
    return 0;
  }
  platform::reachWrites(library, platform);
  runSession(library, platform, settings);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::vector<std::wstring> args(argv + 1, argv + argc);
  if (!args.empty() && args.front() == L"--session") return runSessionProcess(args);

  CheckArguments arguments;
  std::string error;
  if (!parseArguments(args, arguments, error)) {
    const CoordinatorPlatform platform = platform::coordinatorPlatform(arguments);
    platform.print("keyloom-check: " + error + "\n" + kUsage);
    return 2;
  }
  // Full paths by the rule the tool loads its library with (GetFullPathNameW, which leaves a "\\?\" path as
  // it is, where std::filesystem::absolute does not).
  arguments.library = fullPathOrAsGiven(arguments.library);
  if (!arguments.samples.empty()) arguments.samples = fullPathOrAsGiven(arguments.samples);
  if (!arguments.testPath.empty()) arguments.testPath = fullPathOrAsGiven(arguments.testPath);
  return checkLibrary(arguments, platform::coordinatorPlatform(arguments));
}
