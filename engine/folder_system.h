// What the folder walk asks of the machine: the listing of one folder, the attributes of a path or of what
// a link points to, full paths and the final paths of folders. The system's answers are in folder_system_win32.cpp;
// tests hand the walk a machine of their own that answers as Windows does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The system's error codes that the walk tells apart.
inline constexpr uint32_t kErrorFileNotFound = 2;  // ERROR_FILE_NOT_FOUND
inline constexpr uint32_t kErrorPathNotFound = 3;  // ERROR_PATH_NOT_FOUND
inline constexpr uint32_t kErrorAccessDenied = 5;  // ERROR_ACCESS_DENIED
inline constexpr uint32_t kErrorNoMoreFiles = 18;  // ERROR_NO_MORE_FILES

struct ListedName {
  std::wstring name;
  uint32_t attributes = 0;
  uint32_t reparseTag = 0;  // meaningful only with the reparse-point attribute
};

class FolderListing {
 public:
  virtual ~FolderListing() = default;
  // The next name, "." and ".." included; false with kErrorNoMoreFiles at the end, or with the error that
  // broke the listing.
  virtual bool next(ListedName& listed, uint32_t& error) = 0;
};

class FolderSystem {
 public:
  virtual ~FolderSystem() = default;
  // Starts listing "<folder>\*" (the pattern as given); null with the error when it cannot. A drive root
  // without entries answers kErrorFileNotFound, as it has no "." entry.
  virtual std::unique_ptr<FolderListing> list(const std::wstring& pattern, uint32_t& error) = 0;
  // The attributes of the path itself (of a link: the link's own).
  virtual bool attributesOf(const std::wstring& path, uint32_t& attributes, uint32_t& error) = 0;
  // The attributes of what a link points to.
  virtual bool targetAttributesOf(const std::wstring& path, uint32_t& attributes, uint32_t& error) = 0;
  // What GetFullPathNameW makes of a path; empty when it cannot be resolved.
  virtual std::wstring fullPathOf(std::wstring_view path) = 0;
  // The final path of a folder, links followed (GetFinalPathNameByHandleW); empty with the error when
  // unknown.
  virtual std::wstring finalPathOf(const std::wstring& folder, uint32_t& error) = 0;
};

// The machine the program runs on.
FolderSystem& systemFolders();

// The system's full form of a path (GetFullPathNameW), for the long-path rule; empty when it cannot be
// resolved.
std::wstring systemFullPathOf(std::wstring_view path);

// The system's full form of a path, or the path as given where the system has none: a path from the command
// line or the working directory's listing made independent of the working directory.
inline std::wstring fullPathOrAsGiven(std::wstring_view path) {
  std::wstring full = systemFullPathOf(path);
  return full.empty() ? std::wstring(path) : full;
}
