#include "app/logger.h"

#include <windows.h>

#include <share.h>

#include <cstdio>
#include <memory>
#include <mutex>

#include "app/log_line.h"
#include "engine/decryptor.h"
#include "host/page_call.h"
#include "host/text_conversions.h"
#include "text/encodings.h"

namespace {

std::wstring temp_directory() {
  using GetTempPath2Fn = DWORD(WINAPI*)(DWORD, LPWSTR);
  static const auto get_temp_path2 = reinterpret_cast<GetTempPath2Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W")));
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = get_temp_path2 ? get_temp_path2(MAX_PATH + 1, buffer) : GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) return {};
  return std::wstring(buffer, n);
}

// The file is opened by an 8-bit path; a temporary folder whose name the code page cannot express is
// reached through its short name instead, so the log still lands there.
std::string file_system_path(const std::wstring& wide) {
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

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
// Each line opens and closes the file anew, so nothing stays open between calls.
using OwnedFile = std::unique_ptr<FILE, FileCloser>;

std::mutex& file_lock() {
  static std::mutex lock;
  return lock;
}

void forward_to_page(std::string_view message) {
  const Logger& logger = Logger::instance();
  if (!logger.window || logger.window->closed()) return;
  try {
    sciter::call_page_function(logger.window.get(), "appendProgressInfo", {sciter::value_from_utf8(message)});
  } catch (...) {
    // The log must never fail its caller; the line still goes to the file below.
  }
}

void append_line(const std::string& path, const std::string& line) {
  if (path.empty()) return;
  // Lines from several threads of this process never interleave; other processes share the file.
  std::lock_guard guard(file_lock());
  if (const OwnedFile file{_fsopen(path.c_str(), "a", _SH_DENYNO)}) {
    std::fwrite(line.data(), 1, line.size(), file.get());
  }
}

}  // namespace

Logger& Logger::instance() {
  static Logger* logger = nullptr;
  if (!logger) {
    logger = new Logger();
    const std::wstring dir = temp_directory();
    if (!dir.empty()) logger->path = file_system_path(dir) + (dir.back() == L'\\' ? "" : "\\") + kLogFileName;
  }
  return *logger;
}

void writeLog(std::string_view message, int level) {
  try {
    if (level == Info && Decryptor::instance().stopped.load()) forward_to_page(message);
    append_line(Logger::instance().path, format_log_line(std::chrono::system_clock::now(), level, message));
  } catch (...) {
    // Out of memory while formatting: the line is lost, the caller goes on.
  }
}
