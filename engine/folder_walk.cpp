#include "engine/folder_walk.h"

#include <utility>

#include "engine/listing_rule.h"
#include "engine/long_path.h"

namespace {

bool isDotName(const std::wstring& name) { return name == L"." || name == L".."; }

// A missing folder (removed while the walk ran) is as good as an empty one.
bool isGone(uint32_t error) { return error == kErrorFileNotFound || error == kErrorPathNotFound; }

}  // namespace

FolderWalk::FolderWalk(FolderSystem& system) : system_(system) {}

FolderWalk::~FolderWalk() = default;

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  const wchar_t last = folder.back();
  if (last == L'\\' || last == L'/' || (folder.size() == 2 && last == L':')) return folder + name;
  return folder + L'\\' + name;
}

// The path to ask the system about, in the long-path form where the path rule asks for it.
std::wstring FolderWalk::forSystem(const std::wstring& path, bool listing) const {
  return systemPathFor(path, listing ? PathUse::FolderListing : PathUse::File,
                       [this](std::wstring_view p) { return system_.fullPathOf(p); });
}

uint32_t FolderWalk::enter(const std::wstring& folder) {
  // Taken before the listing: a folder swapped after this point leads the removal elsewhere, which its
  // check then refuses.
  uint32_t finalError = 0;
  std::wstring finalPath = system_.finalPathOf(forSystem(folder, false), finalError);
  uint32_t error = 0;
  auto listing = system_.list(joinPath(forSystem(folder, true), L"*"), error);
  if (!listing) {
    // A drive root has no "." entry, so an empty one answers "no file".
    return error == kErrorFileNotFound || error == kErrorNoMoreFiles ? 0 : error;
  }
  stack_.push_back({std::move(listing), folder, std::move(finalPath), finalError});
  return 0;
}

bool FolderWalk::open(const std::wstring& root, uint32_t& error) {
  stack_.clear();
  folderToEnter_.clear();
  singleFilePending_ = false;
  uint32_t attributes = 0;
  // Handed to the system, a root with a NUL would be cut there and name its parent instead, over and over.
  if (root.empty() || root.find(L'\0') != std::wstring::npos) {
    error = kErrorPathNotFound;
    return false;
  }
  if (!system_.attributesOf(forSystem(root, false), attributes, error)) return false;
  if (!(attributes & kAttributeDirectory)) {
    // The folder the file lies in, and its final path, as for any file the walk lists.
    const size_t separator = root.find_last_of(L"\\/");
    std::wstring folder = separator == std::wstring::npos ? std::wstring(L".") : root.substr(0, separator);
    if (separator != std::wstring::npos && (folder.empty() || folder.back() == L':')) folder += root[separator];
    singleFile_ = {root, WalkEntry::RegularFile, 0};
    singleFile_.name = separator == std::wstring::npos ? root : root.substr(separator + 1);
    singleFile_.folderFinalPath = system_.finalPathOf(forSystem(folder, false), singleFile_.folderError);
    singleFilePending_ = true;
    return true;
  }
  error = enter(root);
  return error == 0;
}

bool FolderWalk::next(WalkEntry& entry) {
  if (singleFilePending_) {
    singleFilePending_ = false;
    entry = singleFile_;
    return true;
  }
  if (!folderToEnter_.empty()) {
    std::wstring folder = std::exchange(folderToEnter_, std::wstring());
    const uint32_t error = enter(folder);
    if (error != 0 && !isGone(error)) {
      entry = {std::move(folder), error == kErrorAccessDenied ? WalkEntry::FolderDenied : WalkEntry::FolderNotSearched,
               error};
      return true;
    }
  }
  ListedName listed;
  while (!stack_.empty()) {
    Level& level = stack_.back();
    uint32_t error = 0;
    if (!level.listing->next(listed, error)) {
      // A listing that breaks off leaves the rest of its folder unseen, never the rest of the root.
      std::wstring folder = std::move(level.folder);
      stack_.pop_back();
      if (error == kErrorNoMoreFiles) continue;
      entry = {std::move(folder), WalkEntry::FolderNotSearched, error};
      return true;
    }
    if (isDotName(listed.name)) continue;

    entry.path = joinPath(level.folder, listed.name);
    classify(listed, level, entry);
    return true;
  }
  return false;
}

void FolderWalk::classify(const ListedName& listed, const Level& level, WalkEntry& entry) {
  entry.kind = WalkEntry::Other;
  entry.error = 0;
  entry.name.clear();
  entry.folderFinalPath.clear();
  entry.folderError = 0;
  switch (classifyListed(listed.attributes, listed.reparseTag)) {
    case ListedAs::Folder:
      folderToEnter_ = entry.path;
      break;
    case ListedAs::FolderLink:
    case ListedAs::NoData:
    case ListedAs::FileLink:
      // A link to a file is not the file: the library would write the clean copy beside the link, in the
      // folder of whoever made it, from a file that may belong to anyone.
      break;
    case ListedAs::NotHere:
      entry.kind = WalkEntry::NotHere;
      break;
    case ListedAs::File:
      entry.kind = WalkEntry::RegularFile;
      entry.name = listed.name;
      entry.folderFinalPath = level.finalPath;
      entry.folderError = level.finalError;
      break;
  }
}
