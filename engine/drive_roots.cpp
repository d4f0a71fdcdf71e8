#include "engine/drive_roots.h"

bool isScannedDriveType(unsigned type) {
  return type == DriveRemovable || type == DriveFixed || type == DriveRemote || type == DriveRamDisk;
}

std::vector<std::wstring> scannedDriveRoots(const std::function<unsigned(const std::wstring& root)>& driveTypeOf) {
  std::vector<wchar_t> kept;
  for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
    const std::wstring root{letter, L':', L'\\'};
    if (isScannedDriveType(driveTypeOf(root))) kept.push_back(letter);
  }
  std::vector<std::wstring> roots;
  for (wchar_t letter : kept) roots.push_back(std::wstring(L"\\\\?\\") + letter + L":\\");
  return roots;
}
