#include "engine/file_removal.h"

#include <fmt/format.h>

#include "engine/folder_walk.h"
#include "engine/listing_rule.h"
#include "text/encodings.h"

namespace {

Removal refused(Removal::Reason reason, uint32_t error = 0) { return {Removal::Refused, reason, error, {}}; }

// Each name of a path without the dots and spaces it ends with.
std::wstring withoutTrailingDotsAndSpaces(const std::wstring& path) {
  std::wstring out;
  out.reserve(path.size());
  for (const wchar_t c : path) {
    if (c == L'\\') {
      while (!out.empty() && (out.back() == L'.' || out.back() == L' ')) out.pop_back();
    }
    out += c;
  }
  while (!out.empty() && (out.back() == L'.' || out.back() == L' ')) out.pop_back();
  return out;
}

// The same final path. Windows keeps every name exact in a final path; Wine 8 cuts trailing dots and spaces
// from each name (so "dir.\a.locked." comes back as "dir\a.locked"), which is the only difference let pass.
bool sameFinalPath(const std::wstring& handles, const std::wstring& listed) {
  return handles == listed || withoutTrailingDotsAndSpaces(handles) == withoutTrailingDotsAndSpaces(listed);
}

}  // namespace

Removal removeListedFile(FileHandles& files, const std::wstring& path, const std::wstring& listedFolderFinalPath,
                         const std::wstring& listedName, uint32_t listedFolderError) {
  if (listedFolderFinalPath.empty()) return {Removal::NotTaken, Removal::ListedFolderUnknown, listedFolderError, {}};
  uint32_t error = 0;
  const std::unique_ptr<HeldFile> file = files.open(path, OpenFor::Removal, error);
  if (!file) return refused(Removal::SystemError, error);
  HandleFacts facts;
  if (!file->facts(facts, error)) return refused(Removal::SystemError, error);
  if (isLink(facts.attributes, facts.reparseTag)) return refused(Removal::IsALink);
  const std::wstring finalPath = file->finalPath(error);
  if (finalPath.empty()) return refused(Removal::SystemError, error);
  if (!sameFinalPath(finalPath, joinPath(listedFolderFinalPath, listedName))) {
    Removal removal = refused(Removal::ElsewhereNow);
    removal.finalPath = finalPath;
    return removal;
  }
  if (const uint32_t kept = markForDeletionEvenIfReadOnly(*file); kept != 0) return refused(Removal::SystemError, kept);
  return {Removal::Removed, Removal::None, 0, {}};
}

std::string removalLine(const std::string& shownPath, const Removal& removal, const std::string& systemMessage) {
  switch (removal.reason) {
    case Removal::None:
    case Removal::BackupChosen:
    case Removal::NotDecrypted:
      return {};
    case Removal::ListedFolderUnknown:
      return fmt::format(
          "The encrypted file \"{}\" was kept: the final path of its folder could not be read when it was listed: {}",
          shownPath, systemMessage);
    case Removal::IsALink:
      return fmt::format("The encrypted file \"{}\" was kept: it is now a link, not the file that was listed.",
                         shownPath);
    case Removal::ElsewhereNow:
      return fmt::format(
          "The encrypted file \"{}\" was kept: its path now leads to \"{}\", not to the folder it was listed in.",
          shownPath, text::ansi_from_wide(removal.finalPath));
    case Removal::SystemError:
      return fmt::format("The encrypted file \"{}\" could not be removed: {}", shownPath, systemMessage);
  }
  return {};
}
