// Checks of what the library's file imports, read from the file before anything of it runs.
#pragma once

#include <string_view>

#include "check_row.h"
#include "pe_imports.h"

namespace keyloom_check {

// True for a C runtime's stat function on a path (_stat, _wstat64, _stati64, _wstat32i64, ... of msvcrt.dll
// or another C runtime DLL). std::filesystem's queries in MinGW-w64 GCC's libstdc++ go through _wstat64.
bool isCrtStatImport(const ImportedFunction& function);

// A warning, never a failure: on Windows, msvcrt's stat answers "not found" for a path holding "?", so for
// every path in the long-path form "\\?\...", while under Wine it finds them. The library may use the
// functions on paths of its own, so the row names the risk rather than a broken rule.
Row checkCrtStatImports(std::string_view libraryFile);

}  // namespace keyloom_check
