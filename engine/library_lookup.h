// How the decryption library is found and which of its exports are missing; no system calls here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr std::wstring_view kLibraryFileName = L"Keyloom.dll";

// Only the trailing characters count, case-sensitively: "MyKeyloom.dll" matches too.
bool namesTheLibrary(std::wstring_view listedPath);

// One line per export that could not be bound, in the order GetInfo, Init, DecryptSingleFile, Finish.
std::vector<std::string> missingExportLines(bool hasGetInfo, bool hasInit, bool hasDecryptSingleFile, bool hasFinish);
