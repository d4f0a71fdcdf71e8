// Depth-first listing of everything under one root, folders before their content. A folder that cannot be
// listed, or whose listing breaks off, is named by an entry of its own (denied for lack of access, or not
// searched for another error) and the walk goes on with its siblings; one that vanished while the walk ran
// is passed over. Symbolic links, junctions and mount points are listed but never entered, so a walk cannot
// leave its root or loop, and links to files are not files; other reparse points, such as cloud
// placeholders, are entered or handed over like plain ones, but for files whose data is not here or that
// hold none (listing_rule.h). A root that names a file lists that one file. Entries keep the root's
// spelling joined with the relative names; only what the walk itself asks of the system goes in the
// long-path form, where the path rule asks for it (long_path.h). Each file carries the final path its folder
// had when the walk opened that folder, which the removal checks its handle against (file_removal.h). A
// root holding a NUL character names no folder the system could open, and is answered as a path that does
// not exist.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/folder_system.h"
#include "engine/run_platform.h"

class FolderWalk : public EntryWalk {
 public:
  explicit FolderWalk(FolderSystem& system);
  ~FolderWalk() override;
  FolderWalk(const FolderWalk&) = delete;
  FolderWalk& operator=(const FolderWalk&) = delete;

  bool open(const std::wstring& root, uint32_t& error) override;
  bool next(WalkEntry& entry) override;

 private:
  struct Level {
    std::unique_ptr<FolderListing> listing;
    std::wstring folder;
    std::wstring finalPath;  // empty when it could not be read
    uint32_t finalError = 0;
  };

  // Starts listing a folder; 0 also for an empty one.
  uint32_t enter(const std::wstring& folder);
  std::wstring forSystem(const std::wstring& path, bool listing) const;
  // Sets the entry's kind from what the listing says of it; a folder is noted, to be entered next.
  void classify(const ListedName& listed, const Level& level, WalkEntry& entry);

  FolderSystem& system_;
  std::vector<Level> stack_;
  std::wstring folderToEnter_;  // the folder just listed, entered on the next call
  WalkEntry singleFile_;        // a root that names a file
  bool singleFilePending_ = false;
};

// Joins a folder and an entry name with one backslash, keeping a separator the folder already ends with.
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);
