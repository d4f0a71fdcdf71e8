// The program that child_process_test starts: it reports what it was given on its standard output, one
// item a line in UTF-8, and ends as its first argument says.
//   child echo <arguments...>   each argument as the C runtime split it; exit code: their count
//   child where                 the working directory, then SUPPORT_CHILD_SET and SUPPORT_CHILD_KEPT
//   child pid                   its process id
//   child exit <n>              exit code n
//   child sleep                 waits until it is ended
#include <windows.h>

#include <string>

#include "text/encodings.h"

namespace {

void say(const std::wstring& line) {
  const std::string bytes = text::utf8_from_wide(line) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring variable(const wchar_t* name) {
  wchar_t value[512];
  const DWORD length = GetEnvironmentVariableW(name, value, 512);
  return length == 0 || length >= 512 ? L"(unset)" : std::wstring(value, length);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"echo") {
    for (int i = 2; i < argc; ++i) say(argv[i]);
    return argc - 2;
  }
  if (mode == L"where") {
    wchar_t folder[MAX_PATH];
    say(std::wstring(folder, GetCurrentDirectoryW(MAX_PATH, folder)));
    say(variable(L"SUPPORT_CHILD_SET"));
    say(variable(L"SUPPORT_CHILD_KEPT"));
    return 0;
  }
  if (mode == L"pid") {
    say(std::to_wstring(GetCurrentProcessId()));
    return 0;
  }
  if (mode == L"exit" && argc > 2) return std::stoi(argv[2]);
  if (mode == L"sleep") Sleep(INFINITE);
  return 100;
}
