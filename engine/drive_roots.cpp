#include "engine/drive_roots.h"

#include <fmt/format.h>

#include <array>
#include <optional>

#include "engine/long_path.h"
#include "text/encodings.h"

namespace {

constexpr const char* kMappedDrivesLine =
    "Network drives that a user mapped are not seen by a program that runs as administrator or as the system "
    "account, so they are not searched: to search a share, run the tool with -scan-path \\\\server\\share.";

wchar_t upper(wchar_t letter) { return letter >= L'a' && letter <= L'z' ? static_cast<wchar_t>(letter - 32) : letter; }

// The letter of a path that names a drive's root, "E:\" or "E:"; nothing for a folder or another form.
std::optional<wchar_t> rootLetter(std::wstring_view path) {
  if (path.size() < 2 || path.size() > 3 || path[1] != L':') return std::nullopt;
  if (path.size() == 3 && path[2] != L'\\') return std::nullopt;
  const wchar_t letter = upper(path[0]);
  if (letter < L'A' || letter > L'Z') return std::nullopt;
  return letter;
}

// For a substituted letter, the path it shows: "C:\data" of "\??\C:\data"; empty for a device.
std::wstring substitutedPath(std::wstring_view device) {
  constexpr std::wstring_view kPrefix = L"\\??\\";
  if (!device.starts_with(kPrefix)) return {};
  return std::wstring(device.substr(kPrefix.size()));
}

std::string ansi(std::wstring_view wide) { return text::ansi_from_wide(wide); }

std::wstring letterRoot(wchar_t letter) { return std::wstring{letter, L':', L'\\'}; }

}  // namespace

bool isScannedDriveType(unsigned type) {
  return type == DriveRemovable || type == DriveFixed || type == DriveRemote || type == DriveRamDisk;
}

WholeSystemRoots wholeSystemRoots(DriveView& drives) {
  std::array<bool, 26> kept{};
  for (wchar_t letter = L'C'; letter <= L'Z'; ++letter)
    kept[letter - L'A'] = isScannedDriveType(drives.driveType(letterRoot(letter)));

  const std::vector<LocalVolume> volumes = drives.localVolumes();
  std::array<int, 26> volumeOfLetter;
  volumeOfLetter.fill(-1);
  std::vector<bool> hasLetter(volumes.size(), false);
  for (size_t v = 0; v < volumes.size(); ++v) {
    for (const std::wstring& path : volumes[v].paths) {
      if (const auto letter = rootLetter(path)) {
        hasLetter[v] = true;
        if (volumeOfLetter[*letter - L'A'] < 0) volumeOfLetter[*letter - L'A'] = static_cast<int>(v);
      }
    }
  }

  WholeSystemRoots chosen;
  std::vector<wchar_t> firstLetterOfVolume(volumes.size(), 0);
  for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
    if (!kept[letter - L'A']) continue;
    const std::wstring drive{letter, L':'};
    const std::wstring shown = substitutedPath(drives.dosDeviceOf(drive));
    if (const auto shownLetter = rootLetter(shown.substr(0, 3));
        shownLetter && *shownLetter != letter && kept[*shownLetter - L'A']) {
      chosen.lines.push_back(
          fmt::format("The drive {} was passed over: it shows the folder \"{}\" of the drive {}:, "
                      "which the scan covers.",
                      ansi(drive), ansi(shown), static_cast<char>(*shownLetter)));
      continue;
    }
    const int volume = volumeOfLetter[letter - L'A'];
    if (volume >= 0 && firstLetterOfVolume[volume] != 0) {
      chosen.lines.push_back(fmt::format("The drive {} was passed over: it is the same volume as the drive {}:.",
                                         ansi(drive), static_cast<char>(firstLetterOfVolume[volume])));
      continue;
    }
    if (volume >= 0) firstLetterOfVolume[volume] = letter;
    chosen.roots.push_back(L"\\\\?\\" + letterRoot(letter));
  }

  for (size_t v = 0; v < volumes.size(); ++v) {
    if (hasLetter[v] || volumes[v].paths.empty()) continue;
    const std::wstring& folder = volumes[v].paths.front();
    if (!isScannedDriveType(drives.driveType(folder))) continue;
    chosen.roots.push_back(longPathForm(folder));
    chosen.lines.push_back(
        fmt::format("The volume mounted at \"{}\" has no drive letter: it is scanned from that folder.", ansi(folder)));
  }
  chosen.lines.push_back(kMappedDrivesLine);
  return chosen;
}

std::wstring driveOfRoot(std::wstring_view root) {
  if (root.starts_with(L"\\\\?\\")) root.remove_prefix(4);
  if (rootLetter(root)) return std::wstring(root.substr(0, 2));
  return std::wstring(root);  // a volume mounted in a folder is known by that folder
}
