// The log file on the machine: the temporary folder the system reports, and the shared appends.
#include <windows.h>

#include <mutex>

#include "engine/file_handles.h"
#include "log/log_file.h"
#include "log/log_line.h"
#include "log/safe_append.h"
#include "text/encodings.h"

std::wstring temporaryFolder() {
  using GetTempPath2Fn = DWORD(WINAPI*)(DWORD, LPWSTR);
  static const auto get_temp_path2 = reinterpret_cast<GetTempPath2Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W")));
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = get_temp_path2 ? get_temp_path2(MAX_PATH + 1, buffer) : GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) return {};
  return std::wstring(buffer, n);
}

std::string fileSystemPath(const std::wstring& wide) {
  bool lossy = false;
  std::string narrow = text::ansi_from_wide(wide, &lossy);
  if (lossy) {
    wchar_t short_path[MAX_PATH + 1];
    const DWORD n = GetShortPathNameW(wide.c_str(), short_path, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return {};
    narrow = text::ansi_from_wide(std::wstring_view(short_path, n), &lossy);
    if (lossy) return {};
  }
  return narrow;
}

namespace {

std::mutex& file_lock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

std::string logFilePath() {
  const std::wstring dir = temporaryFolder();
  if (dir.empty()) return {};
  const std::string folder = fileSystemPath(dir);
  if (folder.empty()) return {};
  return folder + (dir.back() == L'\\' ? "" : "\\") + kLogFileName;
}

void writeLogLine(const std::string& path, std::string_view message, int level,
                  std::chrono::system_clock::time_point when) {
  if (path.empty()) return;
  try {
    const std::string line = with_crlf(format_log_line(when, level, message));
    const std::wstring file = text::wide_from_ansi(path);
    const size_t separator = file.find_last_of(L'\\');
    if (separator == std::wstring::npos) return;
    const std::wstring folder = file.substr(0, separator);
    // Lines from several threads of this process never interleave; other processes share the file. The
    // folder's final path is asked once per folder, and again while it is unknown.
    std::lock_guard guard(file_lock());
    static std::wstring finalPathFor, folderFinalPath;
    FileHandles& files = systemFileHandles();
    if (finalPathFor != folder || folderFinalPath.empty()) {
      uint32_t error = 0;
      folderFinalPath = files.finalPathOfFolder(folder, error);
      finalPathFor = folder;
    }
    // Nothing planted at the log's place (a link, a second name of another file, a path that leads
    // elsewhere) is written to: the line is dropped, as for a file that cannot be opened.
    const AppendOpening opening = openForAppending(files, file, folderFinalPath, file.substr(separator + 1));
    uint32_t error = 0;
    if (opening.file) opening.file->append(line, error);
  } catch (...) {
    // Out of memory while formatting: the line is lost, the caller goes on.
  }
}
