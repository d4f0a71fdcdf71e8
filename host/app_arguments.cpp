#include "host/app_arguments.h"

#include <windows.h>
#include <shellapi.h>

const std::vector<std::wstring>& app_arguments() {
  static std::vector<std::wstring> arguments;  // built on the UI thread; rebuilt while a split failed
  if (arguments.empty()) {
    int count = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
      arguments.assign(argv, argv + count);
      LocalFree(argv);
    }
  }
  return arguments;
}
