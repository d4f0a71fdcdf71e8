// Depth-first listing of everything under one root, folders before their content. Folders that cannot be
// opened for lack of access are passed over silently. Directory links and junctions are listed but never
// entered, so a walk cannot leave its root or loop. A root that names a file lists that one file.
// Entries keep the root's spelling joined with the relative names; only what the walk itself asks of the
// system goes in the long-path form once a path passes the classic limit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/run_platform.h"

class FolderWalk : public EntryWalk {
 public:
  FolderWalk();
  ~FolderWalk() override;
  FolderWalk(const FolderWalk&) = delete;
  FolderWalk& operator=(const FolderWalk&) = delete;

  bool open(const std::wstring& root, uint32_t& error) override;
  bool next(WalkEntry& entry) override;
  uint32_t brokenBy() const override { return broken_; }
  std::wstring brokenAt() const override { return brokenAt_; }

 private:
  struct State;
  std::unique_ptr<State> state_;
  uint32_t broken_ = 0;
  std::wstring brokenAt_;
};

// The system's full form of a path (GetFullPathNameW), for the long-path rule; empty when it cannot be
// resolved.
std::wstring systemFullPathOf(std::wstring_view path);

// Joins a folder and an entry name with one backslash, keeping a separator the folder already ends with.
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);
