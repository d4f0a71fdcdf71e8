#include "engine/library_lookup.h"

#include <memory>

#include "engine/listing_rule.h"

namespace {

// A file is, and a link counts by what it points to, as in the folder walk.
bool isFile(FolderSystem& folders, const ListedName& listed) {
  switch (classifyListed(listed.attributes, listed.reparseTag)) {
    case ListedAs::File:
    case ListedAs::NotHere:  // a regular file all the same, which the scan alone passes over
    case ListedAs::NoData:
      return true;
    case ListedAs::FileLink: {
      uint32_t attributes = 0, error = 0;
      return folders.targetAttributesOf(listed.name, attributes, error) && !(attributes & kAttributeDirectory);
    }
    case ListedAs::Folder:
    case ListedAs::FolderLink:
      return false;
  }
  return false;
}

}  // namespace

bool namesTheLibrary(std::wstring_view listedPath) { return listedPath.ends_with(kLibraryFileName); }

bool isTheLibrarysOwnName(std::wstring_view listedName) {
  if (listedName.size() != kLibraryFileName.size()) return false;
  const auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
  for (size_t i = 0; i < listedName.size(); ++i)
    if (fold(listedName[i]) != fold(kLibraryFileName[i])) return false;
  return true;
}

LibraryChoice findLibraryInWorkingDirectory(FolderSystem& folders) {
  LibraryChoice choice;
  uint32_t error = 0;
  const std::unique_ptr<FolderListing> listing = folders.list(L".\\*", error);
  // A drive root without entries lists nothing, not even ".": no library there, and nothing broke.
  if (!listing) {
    if (error != kErrorFileNotFound) choice.listingError = error;
    return choice;
  }
  std::wstring firstBySuffix;
  ListedName listed;
  while (listing->next(listed, error)) {
    const bool own = isTheLibrarysOwnName(listed.name);
    if (!own && (!firstBySuffix.empty() || !namesTheLibrary(listed.name))) continue;
    if (!isFile(folders, listed)) continue;
    if (own) {
      choice.name = listed.name;
      return choice;
    }
    firstBySuffix = listed.name;
  }
  if (error != kErrorNoMoreFiles) {
    choice.listingError = error;
    return choice;
  }
  choice.name = firstBySuffix;
  return choice;
}

std::vector<std::string> missingExportLines(bool hasGetInfo, bool hasInit, bool hasDecryptSingleFile, bool hasFinish) {
  std::vector<std::string> lines;
  if (!hasGetInfo) lines.emplace_back("Could not get address of GetInfo!");
  if (!hasInit) lines.emplace_back("Could not get address of Init!");
  if (!hasDecryptSingleFile) lines.emplace_back("Could not get address of DecryptSingleFile!");
  if (!hasFinish) lines.emplace_back("Could not get address of Finish!");
  return lines;
}
