// Which drives a whole-system scan visits: letters C to Z (A and B are floppy letters and never
// considered) whose type is removable, fixed, remote or RAM disk.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Values of GetDriveTypeW.
enum DriveType : unsigned {
  DriveUnknown = 0,
  DriveNoRoot = 1,
  DriveRemovable = 2,
  DriveFixed = 3,
  DriveRemote = 4,
  DriveCdRom = 5,
  DriveRamDisk = 6,
};

bool isScannedDriveType(unsigned type);

// Asks driveTypeOf for every root "X:\" from C to Z first, then returns the long-path roots "\\?\X:\" of the
// kept letters in letter order.
std::vector<std::wstring> scannedDriveRoots(const std::function<unsigned(const std::wstring& root)>& driveTypeOf);

// The drive a root names, as the user knows it: "E:" for "\\?\E:\" or "E:\".
std::wstring driveOfRoot(std::wstring_view root);
