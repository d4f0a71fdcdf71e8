// Depth-first listing of everything under one root, folders before their content. Folders that cannot be
// opened for lack of access are passed over, each listed once as a Denied entry. Symbolic links, junctions and mount points are listed
// but never entered, so a walk cannot leave its root or loop, and links to files are not files; other
// reparse points, such as cloud placeholders, are entered or handed over like plain ones (listing_rule.h). A
// root that names a file lists that one file. Entries keep the root's spelling joined with the relative
// names; only what the walk itself asks of the system goes in the long-path form, where the path rule asks
// for it (long_path.h). Each file carries the final path its folder had when the walk opened that folder,
// which the removal checks its handle against (file_removal.h). A root holding a NUL character names no
// folder the system could open, and is answered as a path that does not exist.
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
  uint32_t brokenBy() const override { return broken_; }
  std::wstring brokenAt() const override { return brokenAt_; }

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
  void breakAt(const std::wstring& folder, uint32_t error);

  FolderSystem& system_;
  std::vector<Level> stack_;
  std::wstring folderToEnter_;  // the folder just listed, entered on the next call
  WalkEntry singleFile_;        // a root that names a file
  bool singleFilePending_ = false;
  uint32_t broken_ = 0;
  std::wstring brokenAt_;
};

// Joins a folder and an entry name with one backslash, keeping a separator the folder already ends with.
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);
