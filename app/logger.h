// The program's log: one line per message appended to "OstrivelLog.txt" in the temporary directory.
#pragma once

#include <string>
#include <string_view>

#include "engine/library_abi.h"
#include "host/asset.h"
#include "host/frame.h"

// The level numbers (Info, Debug) are those of the library's LogCallback (engine/library_abi.h).
struct Logger {
  std::string path;                  // full path in the file-system code page
  sciter::om::hasset<frame> window;  // Info lines go to its page until it is closed

  // Created on first use (on the main thread, before any other thread); never destroyed.
  static Logger& instance();
};

inline constexpr const char* kLogFileName = "OstrivelLog.txt";

// Writes one line; also the decryption library's LogCallback. Callable from any thread; never throws.
void writeLog(std::string_view message, int level);
