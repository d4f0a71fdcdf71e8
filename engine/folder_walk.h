// Depth-first listing of everything under one root, folders before their content. Folders that cannot be
// opened for lack of access are passed over silently. Directory links and junctions are listed but never
// entered, so a walk cannot leave its root or loop. A root that names a file lists that one file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct WalkEntry {
  enum Kind {
    RegularFile,  // handed to the library
    Other,        // folder, directory link, dangling link: nothing to do
    Unreadable,   // a link whose target could not be examined; error holds the system error code
  };
  std::wstring path;  // the root joined with the relative names
  Kind kind = Other;
  uint32_t error = 0;
};

class FolderWalk {
 public:
  FolderWalk();
  ~FolderWalk();
  FolderWalk(const FolderWalk&) = delete;
  FolderWalk& operator=(const FolderWalk&) = delete;

  // Opens the root; false with the system error code when it does not exist or cannot be listed.
  bool open(const std::wstring& root, uint32_t& error);
  // The next entry; false at the end of the listing or when the listing broke (see brokenBy).
  bool next(WalkEntry& entry);
  // Nonzero when the listing ended on an error instead of its end.
  uint32_t brokenBy() const { return broken_; }

 private:
  struct State;
  std::unique_ptr<State> state_;
  uint32_t broken_ = 0;
};

// Joins a folder and an entry name with one backslash, keeping a separator the folder already ends with.
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);
