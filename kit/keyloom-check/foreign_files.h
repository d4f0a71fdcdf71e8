// Files the checker makes that are not the family's, and how the library's answer for each is judged.
#pragma once

#include <string>
#include <vector>

#include "call_result.h"
#include "check_row.h"
#include "snapshot.h"

namespace keyloom_check {

struct ForeignFile {
  std::string id;     // check id, "foreign-..."
  std::string what;   // in words, for the report
  std::wstring name;  // file name in its own folder
  std::string content;
  bool readOnly = false;
};

// Random bytes, an empty file, text, a read-only file, a name outside the ANSI code page, and for each of
// the family's extensions (learnt from the samples) garbage carrying it.
std::vector<ForeignFile> foreignFiles(const std::vector<std::wstring>& familyExtensions);

// Row for the extension check when no samples told the family's extension.
Row extensionUnknownRow();

// before/after: the file's own folder around the call.
Row judgeForeign(const ForeignFile& file, const CallResult& result, const Snapshot& before, const Snapshot& after);

}  // namespace keyloom_check
