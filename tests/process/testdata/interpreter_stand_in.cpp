// Stands in for a command interpreter that someone named in COMSPEC: when started, it writes its command
// line into "<its own path>.started", so a test can tell whether the program under test started it.
#include <windows.h>

int wmain() {
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH - 16);
  if (n == 0) return 1;
  lstrcpyW(self + n, L".started");
  const HANDLE file = CreateFileW(self, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const wchar_t* line = GetCommandLineW();
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(lstrlenW(line) * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  return 0;
}
