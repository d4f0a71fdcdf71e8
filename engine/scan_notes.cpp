#include "engine/scan_notes.h"

#include <fmt/format.h>

#include "text/encodings.h"

namespace {

std::string counted(uint64_t count, const char* one, const char* many) {
  return fmt::format("{} {}", count, count == 1 ? one : many);
}

std::string quotedList(const NamedFolders& folders) {
  std::string list;
  for (const std::wstring& folder : folders.first) {
    if (!list.empty()) list += ", ";
    list += "\"" + text::ansi_from_wide(folder) + "\"";
  }
  if (folders.count > folders.first.size()) list += ", ...";
  return list;
}

}  // namespace

std::vector<std::string> scanNoteLines(const ScanTally& tally) {
  std::vector<std::string> lines;
  if (tally.notSearched.count > 0) {
    lines.push_back(
        fmt::format("{} could not be searched, so encrypted files may remain there: {}. The log names "
                    "each with its error.",
                    counted(tally.notSearched.count, "folder", "folders"), quotedList(tally.notSearched)));
  }
  if (tally.notHere > 0) {
    lines.push_back(fmt::format(
        "{} passed over because {} not on this computer (available online only, or "
        "moved to offline storage); encrypted files may be among them: make them available "
        "offline and run again.",
        counted(tally.notHere, "file was", "files were"), tally.notHere == 1 ? "its content is" : "their content is"));
  }
  if (tally.removalsRefused > 0) {
    lines.push_back(
        fmt::format("{} left {} encrypted copy in place, as it could not be removed; the log names each. "
                    "Remove them before a later run, which would decrypt them again over the restored "
                    "files.",
                    counted(tally.removalsRefused, "restored file", "restored files"),
                    tally.removalsRefused == 1 ? "its" : "their"));
  }
  return lines;
}

std::string deniedFoldersLine(const ScanTally& tally) {
  if (tally.denied.count == 0) return {};
  return fmt::format("{} passed over for lack of access: {}.",
                     counted(tally.denied.count, "folder was", "folders were"), quotedList(tally.denied));
}
