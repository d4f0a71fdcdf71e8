// The windowed program's log: every line goes to the log file (log/log_file.h), and Info lines also to the
// page's progress list while no scan is going on.
#pragma once

#include <string>
#include <string_view>

#include "engine/library_abi.h"
#include "host/asset.h"
#include "host/frame.h"
#include "log/log_file.h"

// The level numbers (Info, Debug) are those of the library's LogCallback (engine/library_abi.h).
struct Logger {
  std::string path;                  // full path in the file-system code page
  sciter::om::hasset<frame> window;  // Info lines go to its page until it is closed

  // Created on first use (on the main thread, before any other thread); never destroyed.
  static Logger& instance();
};

// Writes one line; also the decryption library's LogCallback. Callable from any thread; never throws.
void writeLog(std::string_view message, int level);
