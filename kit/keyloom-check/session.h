// One session: the library loaded, GetInfo on the main thread, then Init, DecryptSingleFile and Finish
// on one worker thread, never overlapping, the way the tool calls them. The tool runs at most one run per
// process, so each session is a process of its own and the checker runs several:
//   Info     the exports, GetInfo's record, and Init with a missing test folder
//   Foreign  a valid Init, then files that are not the family's, then Finish
//   Samples  a valid Init, then the author's samples, then Finish
//   Interrupted, then AfterInterruption   the first sample restored by a process that is killed in the
//            middle of its first write, then handed over again by a new process, as the next run would
//   FullDisk a valid Init with Replace checked, the first sample restored, then restored again while the disk
//            fills in the middle of the first write
// Everything the session finds is written as protocol lines (protocol.h).
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "engine/library_abi.h"
#include "engine/library_loading.h"
#include "info_checks.h"
#include "samples.h"
#include "snapshot.h"

namespace keyloom_check {

enum class SessionKind { Info, Foreign, Samples, Interrupted, AfterInterruption, FullDisk };
const wchar_t* sessionName(SessionKind kind);
bool sessionFromName(const std::wstring& name, SessionKind& kind);

// The library as a session calls it: its exports as the tool binds them (engine/library_loading.h), and
// what its export table offers, for the exports row.
struct CheckedLibrary {
  LibraryExports exports;
  ExportsFound found;
  void* module = nullptr;  // the loaded library, for the checks that reach its writes
};

// What becomes of the library's writes (through WriteFile) from the next one on. Kill: half of the write
// reaches the file, then the process ends at once, as a kill or a power loss ends it. DiskFull: half of the
// write reaches the file and the call answers ERROR_DISK_FULL, as every later one does.
enum class WriteFault { None, Kill, DiskFull };

// The system around a session; the real one is in platform_windows.cpp, tests pass fakes.
struct SessionPlatform {
  FolderReader reader;
  std::function<bool(const std::wstring& folder)> makeFolder;
  std::function<bool(const std::wstring& path, const std::string& bytes, bool readOnly)> writeFile;
  std::function<Snapshot(const std::wstring& folder)> snapshot;
  // Where InitParams lives, and what becomes of it once Init returned: the real platform makes the record
  // unreadable, so that a library still using it faults and the fault is named.
  std::function<InitParams*(InitParams&& params)> placeInitParams;
  std::function<void(InitParams* params)> retireInitParams;
  std::function<void(const std::string& line)> emit;  // one protocol line, on its way before the next call
  // Sets what becomes of the library's writes; answers whether a write met the fault since it was last set.
  // Empty where the library's writes cannot be reached.
  std::function<bool(WriteFault fault)> setWriteFault;
};

struct SessionSettings {
  SessionKind kind = SessionKind::Info;
  std::wstring workFolder;                     // the session's own, empty folder
  std::wstring samplesFolder;                  // empty: none given
  std::wstring testPath;                       // the author's test folder, handed to a valid Init; empty: none given
  std::chrono::milliseconds lateLogWait{500};  // how long to listen for log lines after Finish returned
};

void runSession(const CheckedLibrary& library, const SessionPlatform& platform, const SessionSettings& settings);

}  // namespace keyloom_check
