#include "log/safe_append.h"

#include <fmt/format.h>

#include "engine/folder_system.h"
#include "engine/folder_walk.h"
#include "engine/listing_rule.h"
#include "text/encodings.h"

namespace {

AppendOpening refused(AppendOpening::Refusal refusal, uint32_t error = 0) { return {nullptr, refusal, error, {}}; }

}  // namespace

AppendOpening openForAppending(FileHandles& files, const std::wstring& path, const std::wstring& folderFinalPath,
                               const std::wstring& name) {
  if (folderFinalPath.empty()) return refused(AppendOpening::FolderUnknown);
  uint32_t error = 0;
  bool created = false;
  std::unique_ptr<HeldFile> file = files.open(path, OpenFor::Appending, error);
  if (!file && error == kErrorFileNotFound) {
    file = files.open(path, OpenFor::Creating, error);
    created = file != nullptr;
    // Someone else made it in between: open what is there now, and check it like any other.
    if (!file && error == kErrorFileExists) file = files.open(path, OpenFor::Appending, error);
  }
  if (!file) return refused(AppendOpening::CannotOpen, error);

  AppendOpening opening;
  HandleFacts facts;
  if (!file->facts(facts, error)) {
    opening = refused(AppendOpening::CannotOpen, error);
  } else if (facts.attributes & kAttributeReparsePoint) {
    opening = refused(AppendOpening::ReparsePoint);
  } else if (facts.links > 1) {
    opening = refused(AppendOpening::SeveralLinks);
  } else {
    const std::wstring finalPath = file->finalPath(error);
    if (finalPath.empty() || finalPath != joinPath(folderFinalPath, name)) {
      opening = refused(AppendOpening::ElsewhereNow, error);
      opening.finalPath = finalPath;
    }
  }
  if (opening.refusal == AppendOpening::None) {
    opening.file = std::move(file);
    return opening;
  }
  // What this opening made, wherever it landed, it takes back; a file that was there already is left alone.
  if (created) file->markForDeletion(error);
  return opening;
}

std::string appendRefusalLine(const std::string& subject, const AppendOpening& opening,
                              const std::string& systemMessage) {
  const std::string head = subject + " was not written";
  switch (opening.refusal) {
    case AppendOpening::None:
      return {};
    case AppendOpening::FolderUnknown:
      return head + ": the final path of its folder could not be read.";
    case AppendOpening::CannotOpen:
      return fmt::format("{}: {}", head, systemMessage);
    case AppendOpening::ReparsePoint:
      return head + ": it is a link or another reparse point, not a plain file.";
    case AppendOpening::SeveralLinks:
      return head + ": it has more than one name (hard link).";
    case AppendOpening::ElsewhereNow:
      if (opening.finalPath.empty()) return head + ": where it leads could not be read.";
      return fmt::format("{}: its path leads to \"{}\".", head, text::ansi_from_wide(opening.finalPath));
  }
  return {};
}
