// What a run tells its front ends as it goes: each answer of the library and what became of the encrypted
// copy, each folder or drive that could not be searched, the folder being searched, and how the run ended.
// A front end that wants them hands the Decryptor a RunObserver; one that does not leaves it out. The
// calls come on the run thread, one at a time, and must not throw; what an observer shares with other
// threads it guards itself.
#pragma once

#include <cstdint>
#include <string>

#include "engine/file_removal.h"
#include "engine/library_abi.h"
#include "engine/run_report.h"

// What became of the encrypted file after the library's answer.
enum class EncryptedCopy {
  Untouched,       // the library did not decrypt it, so it stays where it is
  Removed,         // decrypted, and removed as the options ask
  KeptAsBackup,    // decrypted, and kept because Backup is checked
  RemovalRefused,  // decrypted, but its removal was refused or not taken (removal says why)
};

struct FileAnswer {
  std::wstring path;   // as the library was given it
  int32_t answer = 0;  // the library's FileResult; a value outside 0 to 3 is passed on as it came
  EncryptedCopy copy = EncryptedCopy::Untouched;
  uint32_t removalError = 0;  // the system's error code, with RemovalRefused; 0 when the refusal was the check's
  Removal removal;            // the removal's own answer, for whoever wants the reason
};

enum class NotSearchedReason {
  CouldNotOpen,      // the root (a folder, a file or a drive) could not be opened
  NoMedium,          // a removable drive without a medium, passed over
  AccessDenied,      // a folder inside the root that the account may not list, passed over
  ListingBroken,     // the listing stopped with an error here; the rest of the root was not visited
  StatusUnreadable,  // an entry (a link) whose target could not be examined
};

struct NotSearched {
  std::wstring path;  // the root, the folder, or the entry
  NotSearchedReason reason = NotSearchedReason::CouldNotOpen;
  uint32_t error = 0;      // the system's error code
  bool driveRoot = false;  // a drive root of a scan of the entire system
};

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // The scan went into another folder; the folder as the walk spells it.
  virtual void searching(const std::wstring& folder) { (void)folder; }
  // Every answer of the library, NotEncrypted included, once the encrypted copy was dealt with.
  virtual void fileAnswered(const FileAnswer& answer) { (void)answer; }
  virtual void notSearched(const NotSearched& what) { (void)what; }
  // A file passed over because its data is not on this computer (cloud-only, offline).
  virtual void passedOverAsNotHere(const std::wstring& path) { (void)path; }
  // Once per run, whichever way it ends, after the report's lines are logged and before the library's
  // Finish.
  virtual void runEnded(const RunReport& report) { (void)report; }
};
