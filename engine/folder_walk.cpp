#include "engine/folder_walk.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "engine/long_path.h"

namespace {

// Owns one listing of FindFirstFileExW; closed when the level is left or the walk ends.
class FindHandle {
 public:
  FindHandle() = default;
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  FindHandle(FindHandle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  FindHandle& operator=(FindHandle&& other) noexcept {
    if (this != &other) {
      close();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  ~FindHandle() { close(); }

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  void close() {
    if (valid()) FindClose(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

struct Level {
  FindHandle find;
  std::wstring folder;
  WIN32_FIND_DATAW pending{};  // the first entry, returned by the call that opened the listing
  bool hasPending = false;
};

// The path to ask the system about, in the long-path form when it is too long for the classic limit.
std::wstring forSystem(const std::wstring& path, PathUse use) { return systemPathFor(path, use, systemFullPathOf); }

bool isDotName(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// A missing folder (removed while the walk ran) is as good as an empty one.
bool isGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

struct FolderWalk::State {
  std::vector<Level> stack;
  std::wstring folderToEnter;  // the folder just listed, entered on the next call
  std::wstring singleFile;     // a root that names a file
  bool singleFilePending = false;

  // Opens a listing; ERROR_SUCCESS also for an empty folder.
  DWORD enter(const std::wstring& folder) {
    Level level;
    level.folder = folder;
    const std::wstring pattern = joinPath(forSystem(folder, PathUse::FolderListing), L"*");
    level.find = FindHandle(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &level.pending, FindExSearchNameMatch,
                                             nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!level.find.valid()) {
      const DWORD error = GetLastError();
      // A drive root has no "." entry, so an empty one answers "no file".
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : error;
    }
    level.hasPending = true;
    stack.push_back(std::move(level));
    return ERROR_SUCCESS;
  }

  void closeAll() { stack.clear(); }
};

FolderWalk::FolderWalk() : state_(std::make_unique<State>()) {}

FolderWalk::~FolderWalk() { state_->closeAll(); }

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

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  const wchar_t last = folder.back();
  if (last == L'\\' || last == L'/' || (folder.size() == 2 && last == L':')) return folder + name;
  return folder + L'\\' + name;
}

bool FolderWalk::open(const std::wstring& root, uint32_t& error) {
  state_->closeAll();
  broken_ = 0;
  brokenAt_.clear();
  const DWORD attributes = GetFileAttributesW(forSystem(root, PathUse::File).c_str());
  if (root.empty() || attributes == INVALID_FILE_ATTRIBUTES) {
    error = root.empty() ? ERROR_PATH_NOT_FOUND : GetLastError();
    return false;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    state_->singleFile = root;
    state_->singleFilePending = true;
    return true;
  }
  error = state_->enter(root);
  return error == ERROR_SUCCESS;
}

bool FolderWalk::next(WalkEntry& entry) {
  State& s = *state_;
  if (s.singleFilePending) {
    s.singleFilePending = false;
    entry = {s.singleFile, WalkEntry::RegularFile, 0};
    return true;
  }
  if (!s.folderToEnter.empty()) {
    const std::wstring folder = std::move(s.folderToEnter);
    s.folderToEnter.clear();
    const DWORD error = s.enter(folder);
    if (error != ERROR_SUCCESS && error != ERROR_ACCESS_DENIED && !isGone(error)) {
      broken_ = error;
      brokenAt_ = folder;
      s.closeAll();
      return false;
    }
  }
  while (!s.stack.empty()) {
    Level& level = s.stack.back();
    WIN32_FIND_DATAW data;
    if (level.hasPending) {
      data = level.pending;
      level.hasPending = false;
    } else if (!FindNextFileW(level.find.get(), &data)) {
      const DWORD error = GetLastError();
      if (error == ERROR_NO_MORE_FILES) {
        s.stack.pop_back();
        continue;
      }
      broken_ = error;
      brokenAt_ = level.folder;
      s.closeAll();
      return false;
    }
    if (isDotName(data.cFileName)) continue;

    entry.path = joinPath(level.folder, data.cFileName);
    entry.error = 0;
    const bool isLink = data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!isLink) s.folderToEnter = entry.path;
      entry.kind = WalkEntry::Other;
      return true;
    }
    entry.kind = WalkEntry::RegularFile;
    if (isLink) {
      // A file link counts by what it points to; a dangling one is passed over like any non-file.
      const DWORD target = GetFileAttributesW(forSystem(entry.path, PathUse::File).c_str());
      if (target == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        entry.kind = isGone(error) ? WalkEntry::Other : WalkEntry::Unreadable;
        entry.error = error;
      } else if (target & FILE_ATTRIBUTE_DIRECTORY) {
        entry.kind = WalkEntry::Other;
      }
    }
    return true;
  }
  return false;
}
