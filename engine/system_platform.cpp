// The run's platform on the machine itself: the folder walk, the drive types, file removal.
#include <windows.h>

#include <system_error>

#include "engine/folder_walk.h"
#include "engine/run_platform.h"

namespace {

class SystemPlatform : public RunPlatform {
 public:
  std::unique_ptr<EntryWalk> newWalk() override { return std::make_unique<FolderWalk>(systemFolders()); }
  unsigned driveType(const std::wstring& root) override { return GetDriveTypeW(root.c_str()); }
  // The system itself, with the path as given: the C runtime's file functions, and std::filesystem, which
  // asks them first, answer "not found" on Windows for any path holding "?", as the long-path form does.
  uint32_t removeFile(const std::wstring& path) override { return DeleteFileW(path.c_str()) ? 0 : GetLastError(); }
  std::wstring fullPathOf(std::wstring_view path) override { return systemFullPathOf(path); }
  std::string systemMessage(uint32_t code) override { return std::system_category().message(static_cast<int>(code)); }
};

}  // namespace

RunPlatform& systemPlatform() {
  static SystemPlatform platform;
  return platform;
}
