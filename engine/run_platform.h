// What a run needs from the machine: listing a root, its drives and volumes, the files' handles (for the
// removal), full paths. The system's own answers are in system_platform.cpp; tests hand a run their own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/drive_roots.h"
#include "engine/file_handles.h"

struct WalkEntry {
  enum Kind {
    RegularFile,        // handed to the library
    Other,              // folder, link, a file that holds no data: nothing to do
    Unreadable,         // an entry whose status could not be read; error holds the system error code
    NotHere,            // a file whose data is not on this computer (cloud-only, offline): passed over, counted
    FolderNotSearched,  // a folder whose listing failed (or broke off) for error: what it holds was not offered
    FolderDenied,       // a folder that cannot be opened for lack of access: passed over, as every machine has some
  };
  std::wstring path;  // the root joined with the relative names
  Kind kind = Other;
  uint32_t error = 0;
  // Of a regular file: its name as listed, and the final path of the folder it was listed in, as the walk
  // found it when it opened that folder (empty when it could not be read, folderError then says why).
  std::wstring name;
  std::wstring folderFinalPath;
  uint32_t folderError = 0;
};

// Depth-first listing of everything under one root. A folder that cannot be listed is named by an entry of
// its own, and the walk goes on with its siblings.
class EntryWalk {
 public:
  virtual ~EntryWalk() = default;
  // Opens the root; false with the system error code when it does not exist or cannot be listed
  // (kErrorNotReady for a drive without a medium).
  virtual bool open(const std::wstring& root, uint32_t& error) = 0;
  // The next entry; false at the end of the walk.
  virtual bool next(WalkEntry& entry) = 0;
};

// ERROR_NOT_READY: what opening the root of a removable drive without a medium (an empty card-reader slot)
// answers.
inline constexpr uint32_t kErrorNotReady = 21;

// The drives and volumes a whole-system scan chooses its roots from are DriveView's (drive_roots.h).
class RunPlatform : public DriveView {
 public:
  virtual std::unique_ptr<EntryWalk> newWalk() = 0;
  // What the removal of a decrypted file asks of it (file_removal.h).
  virtual FileHandles& fileHandles() = 0;
  // What GetFullPathNameW makes of a path; empty when it cannot be resolved. Used by the long-path rule.
  virtual std::wstring fullPathOf(std::wstring_view path) = 0;
  virtual std::string systemMessage(uint32_t code) = 0;  // ANSI code page
};

// The machine the program runs on.
RunPlatform& systemPlatform();
