// The system's answers for file_handles.h.
#include <windows.h>

#include <utility>

#include "engine/file_handles.h"

namespace {

// GetFinalPathNameByHandleW answers the length it needs (terminating NUL included) when the buffer is too
// small, and the length it wrote (without the NUL) when it fits.
std::wstring finalPathOfHandle(HANDLE handle, uint32_t& error) {
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD n = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) {
      error = GetLastError();
      return {};
    }
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(n);
  }
  error = ERROR_INSUFFICIENT_BUFFER;
  return {};
}

// The drive letter a path opened by letter starts with ("C:\..." or "\\?\C:\..."); 0 for any other.
wchar_t driveLetterOf(const std::wstring& path) {
  const size_t at = path.rfind(L"\\\\?\\", 0) == 0 ? 4 : 0;
  if (path.size() < at + 3 || path[at + 1] != L':' || path[at + 2] != L'\\') return 0;
  const wchar_t letter = path[at];
  return (letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z') ? letter : 0;
}

// Wine 8 answers ERROR_MORE_DATA, whatever the buffer, for a final path longer than MAX_PATH (Windows answers
// the size it needs instead). There the path within the volume is read from the handle itself
// (FileNameInfo) and joined to the drive the file was opened through, once the handle's volume is that
// drive's: the same file as the final path names, on the one system that needs it.
std::wstring finalPathWithinDrive(HANDLE handle, const std::wstring& openedAs, uint32_t& error) {
  const wchar_t letter = driveLetterOf(openedAs);
  BY_HANDLE_FILE_INFORMATION information{};
  DWORD driveSerial = 0;
  const wchar_t root[] = {letter, L':', L'\\', 0};
  if (!letter || !GetFileInformationByHandle(handle, &information) ||
      !GetVolumeInformationW(root, nullptr, 0, &driveSerial, nullptr, nullptr, nullptr, 0) ||
      driveSerial != information.dwVolumeSerialNumber) {
    return {};
  }
  std::wstring buffer(sizeof(FILE_NAME_INFO) / sizeof(wchar_t) + 32768, L'\0');
  if (!GetFileInformationByHandleEx(handle, FileNameInfo, buffer.data(),
                                    static_cast<DWORD>(buffer.size() * sizeof(wchar_t)))) {
    error = GetLastError();
    return {};
  }
  const auto* name = reinterpret_cast<const FILE_NAME_INFO*>(buffer.data());
  error = 0;
  return std::wstring(L"\\\\?\\") + letter + L':' +
         std::wstring(name->FileName, name->FileNameLength / sizeof(wchar_t));
}

std::wstring finalPathOf(HANDLE handle, const std::wstring& openedAs, uint32_t& error) {
  std::wstring path = finalPathOfHandle(handle, error);
  if (path.empty() && error == ERROR_MORE_DATA) path = finalPathWithinDrive(handle, openedAs, error);
  return path;
}

// FileDispositionInfoEx and its record, as Windows 10 version 1809 defines them; the headers offer them only
// to programs that require that version, and this one does not.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
struct DispositionEx {
  DWORD flags;
};
constexpr DWORD kDispositionDelete = 0x1;           // FILE_DISPOSITION_FLAG_DELETE
constexpr DWORD kDispositionPosixSemantics = 0x2;   // FILE_DISPOSITION_FLAG_POSIX_SEMANTICS
constexpr DWORD kDispositionIgnoreReadOnly = 0x10;  // FILE_DISPOSITION_FLAG_IGNORE_READONLY_ATTRIBUTE

class SystemHeldFile : public HeldFile {
 public:
  SystemHeldFile(HANDLE handle, std::wstring openedAs) : handle_(handle), openedAs_(std::move(openedAs)) {}
  ~SystemHeldFile() override { CloseHandle(handle_); }
  SystemHeldFile(const SystemHeldFile&) = delete;
  SystemHeldFile& operator=(const SystemHeldFile&) = delete;

  bool facts(HandleFacts& facts, uint32_t& error) override {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle_, &information)) {
      error = GetLastError();
      return false;
    }
    facts.attributes = information.dwFileAttributes;
    facts.links = information.nNumberOfLinks;
    facts.reparseTag = 0;
    if (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      FILE_ATTRIBUTE_TAG_INFO tag{};
      if (!GetFileInformationByHandleEx(handle_, FileAttributeTagInfo, &tag, sizeof tag)) {
        error = GetLastError();
        return false;
      }
      facts.reparseTag = tag.ReparseTag;
    }
    return true;
  }

  std::wstring finalPath(uint32_t& error) override { return finalPathOf(handle_, openedAs_, error); }

  bool markForDeletion(uint32_t& error) override {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (SetFileInformationByHandle(handle_, FileDispositionInfo, &disposition, sizeof disposition)) return true;
    error = GetLastError();
    return false;
  }

  bool markForDeletionIgnoringReadOnly(uint32_t& error) override {
    DispositionEx disposition{kDispositionDelete | kDispositionPosixSemantics | kDispositionIgnoreReadOnly};
    if (SetFileInformationByHandle(handle_, kFileDispositionInfoEx, &disposition, sizeof disposition)) return true;
    error = GetLastError();
    return false;
  }

  bool attributes(uint32_t& attributes, uint32_t& error) override {
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(handle_, FileBasicInfo, &basic, sizeof basic)) {
      error = GetLastError();
      return false;
    }
    attributes = basic.FileAttributes;
    return true;
  }

  bool setAttributes(uint32_t attributes, uint32_t& error) override {
    FILE_BASIC_INFO basic{};  // times of 0 are left as they are
    basic.FileAttributes = attributes;
    if (SetFileInformationByHandle(handle_, FileBasicInfo, &basic, sizeof basic)) return true;
    error = GetLastError();
    return false;
  }

  bool append(std::string_view bytes, uint32_t& error) override {
    while (!bytes.empty()) {
      DWORD written = 0;
      const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
      if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr)) {
        error = GetLastError();
        return false;
      }
      bytes.remove_prefix(written);
    }
    return true;
  }

 private:
  HANDLE handle_;
  std::wstring openedAs_;
};

class SystemFileHandles : public FileHandles {
 public:
  std::unique_ptr<HeldFile> open(const std::wstring& path, OpenFor use, uint32_t& error) override {
    DWORD access = FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    DWORD disposition = OPEN_EXISTING;
    switch (use) {
      case OpenFor::Removal:
        access |= DELETE | FILE_WRITE_ATTRIBUTES;  // the attributes, to remove a read-only file where need be
        share |= FILE_SHARE_DELETE;
        break;
      case OpenFor::Appending:
        access |= FILE_APPEND_DATA;
        break;
      case OpenFor::Creating:
        access |= FILE_APPEND_DATA | DELETE;
        disposition = CREATE_NEW;
        break;
    }
    const HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<SystemHeldFile>(handle, path);
  }

  std::wstring finalPathOfFolder(const std::wstring& folder, uint32_t& error) override {
    // Backup semantics open a folder; only attributes are asked for, so no access to its content is needed.
    const HANDLE handle =
        CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      return {};
    }
    std::wstring path = finalPathOf(handle, folder, error);
    CloseHandle(handle);
    return path;
  }
};

}  // namespace

FileHandles& systemFileHandles() {
  static SystemFileHandles handles;
  return handles;
}
