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

std::wstring driveOfRoot(std::wstring_view root) {
  if (root.starts_with(L"\\\\?\\")) root.remove_prefix(4);
  if (root.size() >= 2 && root[1] == L':') return std::wstring(root.substr(0, 2));
  return std::wstring(root);
}
