// The program's log: one line per message appended to "OstrivelLog.txt" in the temporary directory.
#pragma once

#include <string>
#include <string_view>

#include "host/asset.h"

class frame;

enum LogLevel : int {
  Info = 0,   // run outcome, stop announcement, start of a scan; shown on the page while no run is active
  Debug = 1,  // start-up, library binding, command line; the log file only
};

struct Logger {
  std::string path;  // full path in the file-system code page
  sciter::om::hasset<frame> window;

  // Created on first use (on the main thread, before any other thread); never destroyed.
  static Logger& instance();
};

inline constexpr const char* kLogFileName = "OstrivelLog.txt";

// Writes one line; also the decryption library's LogCallback. Callable from any thread; never throws.
void writeLog(std::string_view message, int level);
