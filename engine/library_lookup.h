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

// The library's own name, compared as the file system compares names: "keyloom.DLL" is the same file.
// (Every character of the name is ASCII, and no other character folds to one of them, so ASCII case
// folding is the file system's comparison here.)
bool isTheLibrarysOwnName(std::wstring_view listedName);

struct LibraryChoice {
  std::wstring name;          // as listed, relative to the working directory; empty when none matched
  uint32_t listingError = 0;  // the error that ended the listing before a choice, or 0
};

// Only the working directory is searched, and only files count, or links to files (a folder, or a link to
// one or to nothing, is passed over). A file of the library's own name wins wherever it is listed; only a
// folder without one falls back to the first listed name that merely ends with it ("0Keyloom.dll" lists
// before "Keyloom.dll" and must not win over it). A listing that breaks before the own name was seen binds
// nothing, since the own name could have followed.
LibraryChoice findLibraryInWorkingDirectory(FolderSystem& folders);

// One line per export that could not be bound, in the order GetInfo, Init, DecryptSingleFile, Finish.
std::vector<std::string> missingExportLines(bool hasGetInfo, bool hasInit, bool hasDecryptSingleFile, bool hasFinish);
