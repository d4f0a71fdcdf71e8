// Which roots a whole-system scan visits. Letters C to Z (A and B are floppy letters and never considered)
// whose type is removable, fixed, remote or RAM disk are the candidates, and every local volume is scanned
// once:
// - by its first such letter; a second letter of the same volume is passed over;
// - a letter substituted for a folder ("subst E: C:\data", which QueryDosDeviceW answers as "\??\C:\data")
//   shows again what the scan of that other drive meets, and is passed over when that drive is scanned;
// - a volume with no letter, mounted only in a folder ("C:\mnt\data\"), is scanned from that folder: the walk
//   of the drive that holds the folder never enters a mount point.
// Each letter passed over gets one Info line that says why. Network drives that a user mapped belong to the
// user's own logon session: a program that runs elevated, as this one does, or as the system account does
// not see them, so the roots end with a line that says so and how to search a share.
#pragma once

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

struct LocalVolume {
  std::wstring name;  // the volume GUID path, "\\?\Volume{...}\"
  std::vector<std::wstring>
      paths;  // its drive letters and mounted folders as the system lists them: "D:\", "C:\mnt\data\"
};

// What the choice of roots asks of the machine.
class DriveView {
 public:
  virtual ~DriveView() = default;
  // The GetDriveTypeW answer for a root such as "C:\" or a mounted folder such as "C:\mnt\data\".
  virtual unsigned driveType(const std::wstring& root) = 0;
  // The first mapping QueryDosDeviceW gives for a drive such as "E:" ("\Device\HarddiskVolume3"; for a
  // substituted letter "\??\C:\data"); empty when it has none.
  virtual std::wstring dosDeviceOf(const std::wstring& drive) = 0;
  // The local volumes (FindFirstVolumeW), each with what GetVolumePathNamesForVolumeNameW lists for it;
  // empty when the system cannot list them.
  virtual std::vector<LocalVolume> localVolumes() = 0;
};

struct WholeSystemRoots {
  std::vector<std::wstring> roots;  // in the long-path form: "\\?\C:\", "\\?\C:\mnt\data\"
  std::vector<std::string> lines;   // Info lines (ANSI code page), to be logged before the scan
};

// Asks the type of every root "X:\" from C to Z first, then the volumes and the substituted letters.
WholeSystemRoots wholeSystemRoots(DriveView& drives);

// The drive a root names, as the user knows it: "E:" for "\\?\E:\" or "E:\"; a mounted folder as it stands.
std::wstring driveOfRoot(std::wstring_view root);
