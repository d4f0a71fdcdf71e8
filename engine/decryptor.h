// The one controller of the decryption engine: binds the library, publishes its information to the page,
// holds a run's settings and counters, and carries the flag that stops a run.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/library_abi.h"
#include "engine/run_settings.h"
#include "host/asset.h"

class frame;

struct Decryptor {
  sciter::om::hasset<frame> window;
  std::vector<OptionChoice> options;
  std::wstring scanPath;
  std::wstring testPath;
  std::atomic<uint64_t> decryptedCount{0};
  std::atomic<uint64_t> failedCount{0};
  std::atomic<bool> stopped{true};  // true while no run is active or once a stop was requested
  ToolInfo* info = nullptr;
  GetInfoFn getInfo = nullptr;
  InitFn init = nullptr;
  DecryptSingleFileFn decryptSingleFile = nullptr;
  FinishFn finish = nullptr;

  // Created on first call, on the main thread before any other thread exists; never destroyed.
  static Decryptor& instance();

  bool loadLibrary();
  void publishToolInfo();
  std::vector<OptionChoice> readOptions();

  // Starts the run thread without command-line settings and detaches it; raises std::system_error when
  // the thread cannot be created.
  void startRun();
  // Starts the run thread with settings from the command line.
  void startRun(std::unique_ptr<RunSettings> settings);
  void runDecryption(std::unique_ptr<RunSettings> settings);
  bool prepareRun(const RunSettings* settings);
  FileResult scanFolder(std::wstring root);

  void progressLoop();
  void requestStop();
};
