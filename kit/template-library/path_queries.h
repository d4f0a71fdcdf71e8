// Questions about the paths the tool hands over, asked of the system with the exact path given.
//
// Many of those paths are in the long-path form "\\?\C:\..." (every file of a scan of all drives, deep
// files, names with a part ending in a dot or a space). std::filesystem's queries (exists, status,
// is_regular_file, is_directory, file_size, remove, a directory_iterator entry's status, ...) go, in this
// toolchain's libstdc++, through msvcrt's _wstat64, which on Windows answers "not found" for any path that
// holds a "?" or a "*": there they fail, and remove deletes nothing, while under Wine they work. So ask
// the system, as these helpers do, and build new names from the given path by adding to its text
// (path + L".restored"): the prefix stays and the system takes the new name as it takes the old one.
// Copy this file with the template; keyloom-check warns when a library imports the C runtime's stat.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace path_queries {

// The path's attributes (FILE_ATTRIBUTE_*), or nothing when the system cannot find or reach it. For a
// symbolic link these are the link's own; open the path with CreateFileW to reach what it points to.
inline std::optional<DWORD> attributesOf(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

inline bool isFolder(const std::wstring& path) {
  const auto attributes = attributesOf(path);
  return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Anything there that is not a folder: a file, or a link to one.
inline bool isFile(const std::wstring& path) {
  const auto attributes = attributesOf(path);
  return attributes && !(*attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A file's size in bytes, or nothing when the system cannot tell it.
inline std::optional<uint64_t> fileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Removes a file the library wrote itself, such as a partial clean copy; never the encrypted file, which
// is the tool's to remove.
inline bool removeOwnFile(const std::wstring& path) { return DeleteFileW(path.c_str()) != 0; }

}  // namespace path_queries
