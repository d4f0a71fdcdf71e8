#include "file_io.h"

#include <windows.h>

#include <algorithm>

namespace demo {

uint32_t readWholeFile(const std::wstring& path, std::vector<uint8_t>& content) {
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  LARGE_INTEGER size{};
  uint32_t error = 0;
  if (!GetFileSizeEx(file, &size)) {
    error = GetLastError();
  } else {
    content.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < content.size()) {
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 24));
      if (!ReadFile(file, content.data() + done, want, &got, nullptr)) {
        error = GetLastError();
        break;
      }
      if (got == 0) break;
      done += got;
    }
    content.resize(done);
  }
  CloseHandle(file);
  return error;
}

uint32_t writeWholeFile(const std::wstring& path, const std::vector<uint8_t>& content) {
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  uint32_t error = 0;
  size_t done = 0;
  while (done < content.size()) {
    DWORD written = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 24));
    if (!WriteFile(file, content.data() + done, want, &written, nullptr)) {
      error = GetLastError();
      break;
    }
    if (written == 0) {
      error = ERROR_DISK_FULL;
      break;
    }
    done += written;
  }
  if (!CloseHandle(file) && error == 0) error = GetLastError();
  if (error != 0) DeleteFileW(path.c_str());
  return error;
}

std::vector<std::wstring> filesIn(const std::wstring& folder) {
  std::vector<std::wstring> files;
  // One separator between folder and name, also after a root such as "D:\" (the long-path form takes no
  // doubled one).
  const std::wstring prefix = folder.ends_with(L'\\') || folder.ends_with(L'/') ? folder : folder + L"\\";
  WIN32_FIND_DATAW found;
  const HANDLE search =
      FindFirstFileExW((prefix + L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(prefix + found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

}  // namespace demo
