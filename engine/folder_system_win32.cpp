// The folder walk's questions answered by the system.
#include <windows.h>

#include <utility>

#include "engine/file_handles.h"
#include "engine/folder_system.h"

namespace {

// Owns one listing of FindFirstFileExW. The call that opens it also returns its first entry, which the
// first next() hands out.
class FindListing : public FolderListing {
 public:
  FindListing(HANDLE handle, const WIN32_FIND_DATAW& first) : handle_(handle), pending_(first) {}
  ~FindListing() override { FindClose(handle_); }
  FindListing(const FindListing&) = delete;
  FindListing& operator=(const FindListing&) = delete;

  bool next(ListedName& listed, uint32_t& error) override {
    WIN32_FIND_DATAW data;
    if (hasPending_) {
      data = pending_;
      hasPending_ = false;
    } else if (!FindNextFileW(handle_, &data)) {
      error = GetLastError();
      return false;
    }
    listed.name = data.cFileName;
    listed.attributes = data.dwFileAttributes;
    listed.reparseTag = data.dwReserved0;  // the reparse tag, when the attributes say it is one
    return true;
  }

 private:
  HANDLE handle_;
  WIN32_FIND_DATAW pending_;
  bool hasPending_ = true;
};

class SystemFolders : public FolderSystem {
 public:
  std::unique_ptr<FolderListing> list(const std::wstring& pattern, uint32_t& error) override {
    WIN32_FIND_DATAW first;
    const HANDLE handle = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &first, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
    if (handle == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<FindListing>(handle, first);
  }

  bool attributesOf(const std::wstring& path, uint32_t& attributes, uint32_t& error) override {
    attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return true;
    error = GetLastError();
    return false;
  }

  // On Windows GetFileAttributesW answers for a link itself, so the target is opened: a handle opened
  // without FILE_FLAG_OPEN_REPARSE_POINT reaches it (backup semantics let a folder open too). Only attributes
  // are asked for, which reads no content, so a cloud placeholder is not downloaded by it.
  bool targetAttributesOf(const std::wstring& path, uint32_t& attributes, uint32_t& error) override {
    const HANDLE target =
        CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (target == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      return false;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(target, &information);
    if (!known) error = GetLastError();
    CloseHandle(target);
    attributes = information.dwFileAttributes;
    return known;
  }

  std::wstring fullPathOf(std::wstring_view path) override { return systemFullPathOf(path); }

  std::wstring finalPathOf(const std::wstring& folder, uint32_t& error) override {
    return systemFileHandles().finalPathOfFolder(folder, error);
  }
};

}  // namespace

FolderSystem& systemFolders() {
  static SystemFolders folders;
  return folders;
}

std::wstring systemFullPathOf(std::wstring_view path) {
  const std::wstring given(path);
  const DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring full(needed, L'\0');
  const DWORD written = GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
  if (written == 0 || written >= needed) return {};
  full.resize(written);
  return full;
}
