// Writing a restored file so that nothing is lost whatever happens half-way: a kill, a power loss, a full
// disk, a failing read. The rule (docs/library-authors.md, "Writing the clean copy"):
// - read and write in chunks, never the whole file at once: files of several GiB do not fit in memory, least
//   of all in a 32-bit process;
// - write into a new temporary file beside the target ("<target>.keyloom-partial"), flush it, and only then
//   move it to the target's name, replacing an existing file only when the user asked for it. A run that is
//   killed leaves at most that temporary file, which the next run removes, never a truncated file under the
//   final name that a later run would take for a restored one; with Replace checked the earlier restored file
//   stays whole until the new one is complete;
// - on failure remove the temporary file only, and tell a full disk (NoDiskSpace) from other faults;
// - carry the encrypted file's times and attributes, and its Zone.Identifier stream (the mark of a file that
//   came from the Internet) where it has one.
// Every path is handed to the system as given, and names are made by adding to its text, so the long-path
// form "\\?\..." stays (path_queries.h). Copy this file with the template.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace safe_restore {

// The size of one read and one write.
inline constexpr size_t kChunkSize = size_t{1} << 20;

// The system calls that a test makes fail half-way (a full disk, a write that breaks off); empty: the
// system's own, called through the library's imports each time.
struct SystemCalls {
  decltype(&::WriteFile) writeFile = nullptr;
};
inline SystemCalls systemCalls;

inline bool isDiskFull(uint32_t error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

// An error of MoveFileExW for a target that exists and may not be replaced.
inline bool isTargetThere(uint32_t error) { return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS; }

// The path in a form the system takes at any length: a classic path that a new name would push past MAX_PATH
// goes in the long-path form of its full path.
inline std::wstring systemFormOf(const std::wstring& path) {
  if (path.size() < MAX_PATH || path.starts_with(L"\\\\?\\")) return path;
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD written =
      full.empty() ? 0 : GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (written == 0 || written >= full.size()) return path;
  full.resize(written);
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// The encrypted file, read from start to end.
class Source {
 public:
  Source() = default;
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;
  ~Source() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }

  // 0, or the system error code.
  uint32_t open(const std::wstring& path) {
    path_ = path;
    file_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                        nullptr);
    if (file_ == INVALID_HANDLE_VALUE) return GetLastError();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_, &size) || !GetFileInformationByHandleEx(file_, FileBasicInfo, &basic_, sizeof basic_))
      return GetLastError();
    size_ = static_cast<uint64_t>(size.QuadPart);
    return 0;
  }

  uint64_t size() const { return size_; }
  const std::wstring& path() const { return path_; }
  const FILE_BASIC_INFO& basicInfo() const { return basic_; }

  // Reads up to `want` bytes; `got` is 0 at the end of the file. 0, or the system error code.
  uint32_t read(uint8_t* buffer, size_t want, size_t& got) {
    got = 0;
    while (got < want) {
      DWORD read = 0;
      const DWORD ask = static_cast<DWORD>(want - got < kChunkSize ? want - got : kChunkSize);
      if (!ReadFile(file_, buffer + got, ask, &read, nullptr)) return GetLastError();
      if (read == 0) break;
      got += read;
    }
    return 0;
  }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
  uint64_t size_ = 0;
  FILE_BASIC_INFO basic_{};
};

// The clean copy: written under a temporary name beside the target and moved into place by commit. Until
// then the target's name is never touched, and the temporary file is removed if the object goes away first.
class Output {
 public:
  explicit Output(const std::wstring& target) : target_(target), temporary_(target + L".keyloom-partial") {}
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  ~Output() { abandon(); }

  const std::wstring& temporaryPath() const { return temporary_; }

  // Creates the temporary file; one left by a run that was killed is removed first. 0, or the system error.
  uint32_t create() {
    for (int attempt = 0; attempt < 2; ++attempt) {
      // A new file only: a name that exists, a link planted there included, is never opened for writing.
      // Deletion is shared so that MoveFileExW can rename the file while this handle holds it.
      file_ = CreateFileW(systemFormOf(temporary_).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_DELETE,
                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file_ != INVALID_HANDLE_VALUE) return 0;
      const uint32_t error = GetLastError();
      if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt > 0) return error;
      if (const uint32_t stale = removeStaleTemporary(); stale != 0) return stale;
    }
    return ERROR_FILE_EXISTS;
  }

  // 0, or the system error code (ERROR_DISK_FULL or ERROR_HANDLE_DISK_FULL for a full disk).
  uint32_t write(const uint8_t* data, size_t size) {
    while (size > 0) {
      DWORD written = 0;
      const DWORD ask = static_cast<DWORD>(size < kChunkSize ? size : kChunkSize);
      const BOOL wrote = systemCalls.writeFile ? systemCalls.writeFile(file_, data, ask, &written, nullptr)
                                               : ::WriteFile(file_, data, ask, &written, nullptr);
      if (!wrote) return GetLastError();
      if (written == 0) return ERROR_DISK_FULL;
      data += written;
      size -= written;
    }
    return 0;
  }

  // Reads back the `size` bytes last written and compares them with `data`, which they were written from.
  // 0, ERROR_CRC when they differ, or the system error code.
  uint32_t checkLastWrite(const uint8_t* data, size_t size, std::vector<uint8_t>& scratch) {
    LARGE_INTEGER back{};
    back.QuadPart = -static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file_, back, nullptr, FILE_CURRENT)) return GetLastError();
    scratch.resize(size);
    size_t got = 0;
    while (got < size) {  // leaves the file's pointer at its end again
      DWORD read = 0;
      if (!ReadFile(file_, scratch.data() + got, static_cast<DWORD>(size - got), &read, nullptr)) return GetLastError();
      if (read == 0) break;
      got += read;
    }
    return got == size && std::memcmp(scratch.data(), data, size) == 0 ? 0 : ERROR_CRC;
  }

  // Flushes the content to the disk, carries the original's Zone.Identifier, moves the file to the target's
  // name (over an existing file only with `replace`; otherwise such a file stays and the answer is
  // ERROR_ALREADY_EXISTS), then gives it the original's times and attributes. 0, or the system error code; on
  // an error the target is as it was.
  uint32_t commit(const Source& original, bool replace) {
    if (!FlushFileBuffers(file_)) return GetLastError();
    carryZoneIdentifier(original.path());
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (replace) flags |= MOVEFILE_REPLACE_EXISTING;
    if (!MoveFileExW(systemFormOf(temporary_).c_str(), systemFormOf(target_).c_str(), flags)) return GetLastError();
    committed_ = true;
    // Through the handle, which follows the file to its new name whatever a path now leads to.
    FILE_BASIC_INFO basic = original.basicInfo();
    basic.ChangeTime.QuadPart = 0;  // the system's own to keep
    basic.FileAttributes &= kCarriedAttributes;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(file_, FileBasicInfo, &basic, sizeof basic);
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    return 0;
  }

 private:
  static constexpr DWORD kCarriedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

  // Removes the temporary file through its own handle, so no other file can be reached by its name.
  void abandon() {
    if (file_ == INVALID_HANDLE_VALUE) return;
    if (!committed_) {
      FILE_DISPOSITION_INFO remove{TRUE};
      SetFileInformationByHandle(file_, FileDispositionInfo, &remove, sizeof remove);
    }
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }

  // A file of the temporary name left by a run that ended half-way: removed when it is a plain file, never
  // followed when it is a link.
  uint32_t removeStaleTemporary() {
    const HANDLE stale = CreateFileW(systemFormOf(temporary_).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (stale == INVALID_HANDLE_VALUE) return GetLastError();
    FILE_BASIC_INFO basic{};
    uint32_t error = 0;
    if (!GetFileInformationByHandleEx(stale, FileBasicInfo, &basic, sizeof basic)) {
      error = GetLastError();
    } else if (basic.FileAttributes &
               (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY)) {
      error = ERROR_FILE_EXISTS;  // not what this library leaves behind
    } else {
      FILE_DISPOSITION_INFO remove{TRUE};
      if (!SetFileInformationByHandle(stale, FileDispositionInfo, &remove, sizeof remove)) error = GetLastError();
    }
    CloseHandle(stale);
    return error;
  }

  // Copies the original's Zone.Identifier stream to the new file, where the original has one and the file
  // system keeps streams; its absence is no fault.
  void carryZoneIdentifier(const std::wstring& originalPath) {
    const HANDLE from = CreateFileW(systemFormOf(originalPath + L":Zone.Identifier").c_str(), GENERIC_READ,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (from == INVALID_HANDLE_VALUE) return;
    char zone[4096];
    DWORD size = 0;
    const bool read = ReadFile(from, zone, sizeof zone, &size, nullptr);
    CloseHandle(from);
    if (!read) return;
    const HANDLE to = CreateFileW(systemFormOf(temporary_ + L":Zone.Identifier").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
    if (to == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(to, zone, size, &written, nullptr);
    CloseHandle(to);
  }

  std::wstring target_;
  std::wstring temporary_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  bool committed_ = false;
};

// Reads the rest of the source in chunks, has `transform(data, size)` turn each into clean content in place,
// and writes it to the output; with `checkEachWrite` each chunk is read back and compared at once, while it is
// still in memory. `copied` counts the bytes written. 0, or the system error code (ERROR_CRC for a chunk that
// read back otherwise), with the step that failed ("read", "write" or "check") in `failedStep`.
template <class Transform>
uint32_t copyThrough(Source& source, Output& output, std::vector<uint8_t>& buffer, Transform&& transform,
                     bool checkEachWrite, uint64_t& copied, const char*& failedStep) {
  if (buffer.size() < kChunkSize) buffer.resize(kChunkSize);
  std::vector<uint8_t> scratch;
  copied = 0;
  for (;;) {
    size_t got = 0;
    if (const uint32_t error = source.read(buffer.data(), kChunkSize, got)) {
      failedStep = "read";
      return error;
    }
    if (got == 0) return 0;
    transform(buffer.data(), got);
    if (const uint32_t error = output.write(buffer.data(), got)) {
      failedStep = "write";
      return error;
    }
    if (checkEachWrite) {
      if (const uint32_t error = output.checkLastWrite(buffer.data(), got, scratch)) {
        failedStep = "check";
        return error;
      }
    }
    copied += got;
  }
}

}  // namespace safe_restore
