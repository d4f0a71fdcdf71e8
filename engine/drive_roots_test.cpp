#include <gtest/gtest.h>

#include <map>

#include "engine/drive_roots.h"
#include "engine/library_lookup.h"

namespace {

TEST(DriveRoots, KeepsRemovableFixedRemoteAndRamDisksInLetterOrder) {
  const std::map<wchar_t, unsigned> types = {
      {L'A', DriveRemovable}, {L'B', DriveFixed},   {L'C', DriveFixed},  {L'D', DriveCdRom},
      {L'E', DriveRemovable}, {L'F', DriveUnknown}, {L'G', DriveNoRoot}, {L'H', DriveRemote},
      {L'Y', DriveRamDisk},   {L'Z', 7},
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

TEST(LibraryLookup, TrailingNameMatchesCaseSensitively) {
  const struct {
    const wchar_t* path;
    bool matches;
  } cases[] = {
      {L".\\Keyloom.dll", true},  {L".\\OldKeyloom.dll", true}, {L".\\keyloom.dll", false},
      {L".\\Keyloom.dll.bak", false}, {L".\\Keyloom.DLL", false}, {L"Keyloom.dll", true},
  };
  for (const auto& c : cases) EXPECT_EQ(namesTheLibrary(c.path), c.matches) << c.path;
}

TEST(LibraryLookup, MissingExportsAreNamedInBindingOrder) {
  EXPECT_TRUE(missingExportLines(true, true, true, true).empty());
  EXPECT_EQ(missingExportLines(false, false, false, false),
            (std::vector<std::string>{"Could not get address of GetInfo!", "Could not get address of Init!",
                                      "Could not get address of DecryptSingleFile!",
                                      "Could not get address of Finish!"}));
  EXPECT_EQ(missingExportLines(true, false, true, false),
            (std::vector<std::string>{"Could not get address of Init!", "Could not get address of Finish!"}));
}

}  // namespace
