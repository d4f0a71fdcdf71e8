#include <windows.h>

#include <fmt/format.h>

#include "console/machine_facts.h"
#include "console/report_folder.h"
#include "engine/folder_system.h"
#include "engine/folder_walk.h"
#include "engine/long_path.h"
#include "text/encodings.h"

namespace {

// Reads one file through the handle, which is checked to be a plain file first: the name was listed a
// moment ago and may have been swapped for a link since.
bool readReport(const std::wstring& path, ReportReader& reader) {
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool plain = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
                     !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
  bool read = plain;
  char buffer[64 * 1024];
  DWORD got = 0;
  while (read && ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    if (!reader.feed(std::string_view(buffer, got))) break;
  }
  CloseHandle(file);
  return read;
}

}  // namespace

FolderReading readReportFolder(const std::wstring& folder) {
  FolderReading reading;
  const FullPathOf fullPathOf = [](std::wstring_view path) { return systemFullPathOf(path); };
  const std::wstring pattern = joinPath(systemPathFor(folder, PathUse::FolderListing, fullPathOf), L"*");
  WIN32_FIND_DATAW found{};
  const HANDLE listing = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                          FIND_FIRST_EX_LARGE_FETCH);
  if (listing == INVALID_HANDLE_VALUE) {
    reading.problem = systemMessageUtf8(GetLastError());
    return reading;
  }
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L".." || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      ++reading.otherFiles;
      continue;
    }
    ReportReader reader(text::utf8_from_wide(name));
    const std::wstring path = systemPathFor(joinPath(folder, name), PathUse::File, fullPathOf);
    const bool read = readReport(path, reader);
    if (read && reader.row()) {
      reading.reports.push_back(*reader.row());
    } else {
      ++reading.otherFiles;
    }
  } while (FindNextFileW(listing, &found));
  FindClose(listing);
  return reading;
}
