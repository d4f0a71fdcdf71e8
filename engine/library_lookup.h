// How the decryption library is found and which of its exports are missing; no system calls here (the
// working directory is listed through folder_system.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/folder_system.h"

inline constexpr std::wstring_view kLibraryFileName = L"Keyloom.dll";

// Only the trailing characters count, case-sensitively: "MyKeyloom.dll" matches too.
bool namesTheLibrary(std::wstring_view listedPath);

struct LibraryChoice {
  std::wstring name;          // as listed, relative to the working directory; empty when none matched
  uint32_t listingError = 0;  // the error that ended the listing before a match, or 0
};

// Only the working directory is searched, in listing order, and only the first match is tried: the first
// name the rule accepts that is a file, or a link to one (a folder, or a link to one or to nothing, is passed
// over).
LibraryChoice findLibraryInWorkingDirectory(FolderSystem& folders);

// One line per export that could not be bound, in the order GetInfo, Init, DecryptSingleFile, Finish.
std::vector<std::string> missingExportLines(bool hasGetInfo, bool hasInit, bool hasDecryptSingleFile, bool hasFinish);
