// The one controller of the decryption engine: binds the library, publishes its information to the page,
// holds a run's settings and counters, and owns the process's one run.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/file_removal.h"
#include "engine/folder_rights.h"
#include "engine/library_abi.h"
#include "engine/run_events.h"
#include "engine/run_life.h"
#include "engine/run_page.h"
#include "engine/run_platform.h"
#include "engine/run_report.h"
#include "engine/run_settings.h"
#include "engine/scan_notes.h"

struct Decryptor {
  RunPage* window = nullptr;  // target of every page call; set by start-up, outlives the Decryptor's use
  std::vector<OptionChoice> options;
  std::wstring scanPath;
  std::wstring testPath;
  std::atomic<uint64_t> decryptedCount{0};
  std::atomic<uint64_t> failedCount{0};
  ScanTally tally;        // what the scan met besides the library's answers; the run thread's alone
  RunLife run;            // the one run: its phase and its threads
  StopFlag stopped{run};  // true while no run scans or once a stop was requested
  ToolInfo* info = nullptr;
  GetInfoFn getInfo = nullptr;
  InitFn init = nullptr;
  DecryptSingleFileFn decryptSingleFile = nullptr;
  FinishFn finish = nullptr;
  LogCallback log = nullptr;                           // every message of the engine; also handed to Init
  RunPlatform* platform = &systemPlatform();           // the machine a run walks
  FolderRights* folderRights = &systemFolderRights();  // who may change the folders a library comes from
  RunObserver* observer = nullptr;                     // told of each file and folder and of the end; optional
  std::wstring libraryPath;                            // the library's file as the working directory listed it

  // Created on first call, on the main thread before any other thread exists; never destroyed.
  static Decryptor& instance();

  // Finds, loads and binds the library; false (with the reasons logged at Debug) ends start-up.
  bool loadLibrary();
  // Asks the library for its information and passes it to the page; false when its records are broken,
  // which ends start-up like a library that cannot be bound.
  bool publishToolInfo();
  OptionsAnswer readOptions();

  // Starts the run thread without command-line settings; raises std::system_error when the thread cannot be
  // created. A process performs one run: later requests are logged and ignored.
  void startRun();
  // Starts the run thread with settings from the command line.
  void startRun(std::unique_ptr<RunSettings> settings);
  void runDecryption(std::unique_ptr<RunSettings> settings);
  bool prepareRun(const RunSettings* settings);
  // A drive root of a whole-system scan that holds no medium is passed over; any other root that cannot be
  // opened fails.
  enum class RootKind { Folder, Drive };
  FileResult scanFolder(std::wstring root, RootKind kind = RootKind::Folder);

  void progressLoop();
  // True when it stopped something: a scan going on, or a run still starting.
  bool requestStop();
  // Called once the window is gone (its page says closed()): no file starts any more, the file in hand is
  // finished, the library is finished, and nothing more goes to the page. Returns once the run has ended; meanwhile
  // whileWaiting is called every few milliseconds, so the caller's thread can go on serving what a page call may wait
  // for.
  void windowClosed(const std::function<void()>& whileWaiting = {});

  // Every way a run ends passes here: logs the report's lines and tells the page. Page calls are each
  // tried on their own when the report says the page may itself be the cause; none is made once the
  // window is gone.
  void endRun(const RunReport& report);

  void writeLine(std::string_view message, int level) const {
    if (log) log(message, level);
  }

 private:
  void tellNotSearched(const std::wstring& path, NotSearchedReason reason, uint32_t error, bool driveRoot);
};
