// The functions a DLL or program imports, read from its file's bytes as they lie on disk: no loader and
// no windows.h, so the checker looks at a library's import table without running any of it, and the
// reading is tested in-process on either processor. Reads both PE32 (32-bit) and PE32+ (64-bit) files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keyloom_check {

struct ImportedFunction {
  std::string library;   // the DLL as the file names it, e.g. "msvcrt.dll"
  std::string name;      // empty for an import by ordinal
  uint32_t ordinal = 0;  // only for an import by ordinal
};

// Every entry of the import table (not the delay-load table), in the file's order. On false, error says
// why the bytes are not a PE file whose import table can be read; a file without imports gives true and
// an empty list.
bool readImports(std::string_view file, std::vector<ImportedFunction>& imports, std::string& error);

}  // namespace keyloom_check
