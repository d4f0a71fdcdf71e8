// The program's log: one line per message appended to "OstrivelLog.txt" in the temporary directory.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "engine/file_handles.h"
#include "engine/library_abi.h"
#include "host/asset.h"
#include "host/frame.h"
#include "log/log_file.h"  // kLogFileName

// The level numbers (Info, Debug) are those of the library's LogCallback (engine/library_abi.h).
struct Logger {
  std::string path;                  // full path as shown (console, page): the file-system code page
  std::wstring folder;               // the temporary folder, as the system reported it
  sciter::om::hasset<frame> window;  // Info lines go to its page until it is closed
  FileHandles* files = &systemFileHandles();

  // Shared by the writers: lines of this process never interleave (other processes share the file), the
  // folder's final path is asked once per folder, and the first refusal is kept and told once.
  std::mutex lock;
  std::wstring finalPathFor;  // the folder whose final path is held
  std::wstring folderFinalPath;
  std::string refusal;
  bool refusalShown = false;
  void (*console)(const char* line) = nullptr;

  // The file itself, by its wide path: folder joined with kLogFileName.
  std::wstring filePath() const;

  // Created on first use (on the main thread, before any other thread); never destroyed.
  static Logger& instance();
};

// Writes one line; also the decryption library's LogCallback. Callable from any thread; never throws. A log
// whose place holds a link, a file of several names, or a path that leads elsewhere is not written (see
// log/safe_append.h); the first such refusal is told on the console where there is one.
void writeLog(std::string_view message, int level);

// Why the log could not be written, once that happened; empty otherwise.
std::string logRefusal();

// Where there is a console, whoever opened it names how to print a line there: a refusal of the log is then
// printed once, at once, or now if it happened before the console was there.
void setLogConsole(void (*print)(const char* line));
