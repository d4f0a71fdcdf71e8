#include <gtest/gtest.h>

#include <map>

#include "engine/drive_roots.h"

namespace {

TEST(DriveRoots, KeepsRemovableFixedRemoteAndRamDisksInLetterOrder) {
  const std::map<wchar_t, unsigned> types = {
      {L'A', DriveRemovable}, {L'B', DriveFixed},  {L'C', DriveFixed},  {L'D', DriveCdRom},   {L'E', DriveRemovable},
      {L'F', DriveUnknown},   {L'G', DriveNoRoot}, {L'H', DriveRemote}, {L'Y', DriveRamDisk}, {L'Z', 7},
  };
  std::vector<std::wstring> asked;
  const auto roots = scannedDriveRoots([&](const std::wstring& root) {
    asked.push_back(root);
    const auto found = types.find(root[0]);
    return found == types.end() ? unsigned{DriveNoRoot} : found->second;
  });
  EXPECT_EQ(roots, (std::vector<std::wstring>{L"\\\\?\\C:\\", L"\\\\?\\E:\\", L"\\\\?\\H:\\", L"\\\\?\\Y:\\"}));
  ASSERT_EQ(asked.size(), 24u) << "C to Z, never A or B";
  EXPECT_EQ(asked.front(), L"C:\\");
  EXPECT_EQ(asked.back(), L"Z:\\");
}

}  // namespace
