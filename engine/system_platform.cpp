// The run's platform on the machine itself: the folder walk, the drives and volumes, the files' handles.
#include <windows.h>

#include <system_error>
#include <vector>

#include "engine/folder_walk.h"
#include "engine/run_platform.h"

namespace {

// The strings of a list of NUL-terminated strings that ends with an empty one.
std::vector<std::wstring> stringsOf(const std::wstring& list) {
  std::vector<std::wstring> strings;
  for (size_t at = 0; at < list.size() && list[at] != L'\0';) {
    const size_t end = list.find(L'\0', at);
    strings.push_back(list.substr(at, end - at));
    if (end == std::wstring::npos) break;
    at = end + 1;
  }
  return strings;
}

// What GetVolumePathNamesForVolumeNameW lists for a volume: its letters and mounted folders, none for a volume
// that is mounted nowhere or that the system cannot tell about.
std::vector<std::wstring> pathsOfVolume(const wchar_t* volume) {
  std::wstring list(MAX_PATH + 1, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD needed = 0;
    if (GetVolumePathNamesForVolumeNameW(volume, list.data(), static_cast<DWORD>(list.size()), &needed)) {
      return stringsOf(list);
    }
    if (GetLastError() != ERROR_MORE_DATA || needed <= list.size()) break;
    list.assign(needed, L'\0');  // the mounted folders changed size since the first answer: ask again
  }
  return {};
}

class SystemPlatform : public RunPlatform {
 public:
  std::unique_ptr<EntryWalk> newWalk() override { return std::make_unique<FolderWalk>(systemFolders()); }
  unsigned driveType(const std::wstring& root) override { return GetDriveTypeW(root.c_str()); }

  std::wstring dosDeviceOf(const std::wstring& drive) override {
    std::wstring mappings(MAX_PATH + 1, L'\0');
    while (!QueryDosDeviceW(drive.c_str(), mappings.data(), static_cast<DWORD>(mappings.size()))) {
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || mappings.size() >= 32768) return {};
      mappings.assign(mappings.size() * 4, L'\0');
    }
    return mappings.c_str();  // the current mapping; earlier ones follow it
  }

  std::vector<LocalVolume> localVolumes() override {
    std::vector<LocalVolume> volumes;
    wchar_t name[MAX_PATH + 1];
    const HANDLE search = FindFirstVolumeW(name, MAX_PATH + 1);
    if (search == INVALID_HANDLE_VALUE) return volumes;
    do {
      volumes.push_back({name, pathsOfVolume(name)});
    } while (FindNextVolumeW(search, name, MAX_PATH + 1));
    FindVolumeClose(search);
    return volumes;
  }
  // The system itself, with the path as given: the C runtime's file functions, and std::filesystem, which
  // asks them first, answer "not found" on Windows for any path holding "?", as the long-path form does.
  FileHandles& fileHandles() override { return systemFileHandles(); }
  std::wstring fullPathOf(std::wstring_view path) override { return systemFullPathOf(path); }
  std::string systemMessage(uint32_t code) override { return std::system_category().message(static_cast<int>(code)); }
};

}  // namespace

RunPlatform& systemPlatform() {
  static SystemPlatform platform;
  return platform;
}
