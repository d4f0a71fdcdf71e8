#include "support/file_tree.h"

#include <windows.h>

namespace support {
namespace {

// "\\?\C:\..." or "\\?\UNC\server\share\..."; a path already in that form stays.
std::wstring long_form(const std::wstring& full_path) {
  if (full_path.starts_with(L"\\\\?\\")) return full_path;
  if (full_path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full_path.substr(2);
  return L"\\\\?\\" + full_path;
}

void remove_long_tree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      const bool is_folder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      const bool is_link = found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (is_folder && !is_link) {
        remove_long_tree(path);
      } else if (is_folder) {
        RemoveDirectoryW(path.c_str());  // the link itself, not what it points to
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

void remove_tree(const std::wstring& full_path) {
  if (!full_path.empty()) remove_long_tree(long_form(full_path));
}

}  // namespace support
