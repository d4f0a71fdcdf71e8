// The console program for fleet tools: the same decryption run as the windowed program, bound to the
// console. It binds no UI engine and creates no window.
#include <windows.h>

#include <string>
#include <vector>

#include "console/run_command.h"
#include "engine/library_loading.h"

int wmain(int argc, wchar_t** argv) {
  // The program runs elevated, often as the system account: no DLL may come from the folder it was started
  // from, and no dialog may wait for a person who is not there (an empty card reader, a missing file).
  keepWorkingDirectoryOutOfDllSearch();
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const std::vector<std::wstring> arguments(argv, argv + argc);
  if (arguments.size() > 1 && arguments[1] == L"summary") return summaryCommand(arguments);
  return runCommand(arguments);
}
