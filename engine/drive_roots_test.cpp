#include <gtest/gtest.h>

#include <map>

#include "engine/drive_roots.h"

namespace {

// Drives and volumes as the system answers for them: GetDriveTypeW gives DRIVE_NO_ROOT_DIR for a letter
// that names nothing, QueryDosDeviceW a volume's device for a letter of its own.
class FakeDrives : public DriveView {
 public:
  std::map<std::wstring, unsigned> types;        // by root, "C:\" or a mounted folder
  std::map<std::wstring, std::wstring> devices;  // by drive, "E:"
  std::vector<LocalVolume> volumes;
  std::vector<std::wstring> asked;  // every question, in order

  unsigned driveType(const std::wstring& root) override {
    asked.push_back(L"type " + root);
    const auto found = types.find(root);
    return found == types.end() ? unsigned{DriveNoRoot} : found->second;
  }
  std::wstring dosDeviceOf(const std::wstring& drive) override {
    asked.push_back(L"device " + drive);
    const auto found = devices.find(drive);
    return found == devices.end() ? L"\\Device\\HarddiskVolume" + std::to_wstring(drive[0] - L'A') : found->second;
  }
  std::vector<LocalVolume> localVolumes() override {
    asked.push_back(L"volumes");
    return volumes;
  }
};

TEST(DriveRoots, KeepsRemovableFixedRemoteAndRamDisksInLetterOrderAskingEveryTypeFirst) {
  FakeDrives drives;
  drives.types = {
      {L"A:\\", DriveRemovable}, {L"B:\\", DriveFixed},     {L"C:\\", DriveFixed},
      {L"D:\\", DriveCdRom},     {L"E:\\", DriveRemovable}, {L"F:\\", DriveUnknown},
      {L"H:\\", DriveRemote},    {L"Y:\\", DriveRamDisk},   {L"Z:\\", 7},
  };
  const WholeSystemRoots chosen = wholeSystemRoots(drives);
  EXPECT_EQ(chosen.roots, (std::vector<std::wstring>{L"\\\\?\\C:\\", L"\\\\?\\E:\\", L"\\\\?\\H:\\", L"\\\\?\\Y:\\"}));
  ASSERT_GE(drives.asked.size(), 24u);
  EXPECT_EQ(drives.asked.front(), L"type C:\\") << "never A or B";
  EXPECT_EQ(drives.asked[23], L"type Z:\\") << "all 24 letters are classified first";
}

TEST(DriveRoots, EachVolumeOnceByItsFirstLetterOrTheFolderItIsMountedAt) {
  const struct {
    const char* name;
    std::map<std::wstring, std::wstring> devices;
    std::vector<LocalVolume> volumes;
    std::map<std::wstring, unsigned> mountedTypes;
    std::vector<std::wstring> roots;
    std::vector<std::string> lines;  // before the mapped-drives line
  } cases[] = {
      {"subst E: C:\\data over a scanned drive",
       {{L"E:", L"\\??\\C:\\data"}},
       {},
       {},
       {L"\\\\?\\C:\\", L"\\\\?\\G:\\"},
       {"The drive E: was passed over: it shows the folder \"C:\\data\" of the drive C:, which the scan covers."}},
      {"subst of a share, or of a drive that is not scanned, stays",
       {{L"E:", L"\\??\\UNC\\server\\share\\data"}, {L"G:", L"\\??\\D:\\disc"}},
       {},
       {},
       {L"\\\\?\\C:\\", L"\\\\?\\E:\\", L"\\\\?\\G:\\"},
       {}},
      {"a volume with two letters",
       {},
       {{L"\\\\?\\Volume{c}\\", {L"C:\\"}}, {L"\\\\?\\Volume{e}\\", {L"G:\\", L"E:\\"}}},
       {},
       {L"\\\\?\\C:\\", L"\\\\?\\E:\\"},
       {"The drive G: was passed over: it is the same volume as the drive E:."}},
      {"volumes without a letter",
       {},
       {{L"\\\\?\\Volume{c}\\", {L"C:\\"}},
        {L"\\\\?\\Volume{m}\\", {L"C:\\mnt\\photos\\", L"C:\\other-mount\\"}},
        {L"\\\\?\\Volume{r}\\", {}},  // a recovery partition, mounted nowhere
        {L"\\\\?\\Volume{d}\\", {L"C:\\mnt\\disc\\"}}},
       {{L"C:\\mnt\\photos\\", DriveFixed}, {L"C:\\mnt\\disc\\", DriveCdRom}},
       {L"\\\\?\\C:\\", L"\\\\?\\E:\\", L"\\\\?\\G:\\", L"\\\\?\\C:\\mnt\\photos\\"},
       {"The volume mounted at \"C:\\mnt\\photos\\\" has no drive letter: it is scanned from that folder."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDrives drives;
    drives.types = {{L"C:\\", DriveFixed}, {L"D:\\", DriveCdRom}, {L"E:\\", DriveFixed}, {L"G:\\", DriveRemovable}};
    drives.types.insert(c.mountedTypes.begin(), c.mountedTypes.end());
    drives.devices = c.devices;
    drives.volumes = c.volumes;
    const WholeSystemRoots chosen = wholeSystemRoots(drives);
    EXPECT_EQ(chosen.roots, c.roots);
    ASSERT_FALSE(chosen.lines.empty());
    EXPECT_EQ(std::vector<std::string>(chosen.lines.begin(), chosen.lines.end() - 1), c.lines);
    EXPECT_EQ(chosen.lines.back(),
              "Network drives that a user mapped are not seen by a program that runs as administrator or as the "
              "system account, so they are not searched: to search a share, run the tool with -scan-path "
              "\\\\server\\share.");
  }
}

TEST(DriveRoots, TheDriveARootNames) {
  EXPECT_EQ(driveOfRoot(L"\\\\?\\E:\\"), L"E:");
  EXPECT_EQ(driveOfRoot(L"E:\\"), L"E:");
  EXPECT_EQ(driveOfRoot(L"\\\\?\\C:\\mnt\\photos\\"), L"C:\\mnt\\photos\\");
}

}  // namespace
