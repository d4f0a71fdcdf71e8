// The console program's exit codes: the one thing every fleet tool reads. None of them is a code that
// those tools take for success, a reboot or a retry (1707, 3010, 1641, 4, 5, 8, 13, 14), but 1618, which
// means what they take it for: another run is going on, try again later.
#pragma once

#include <cstdint>

#include "engine/run_report.h"

enum class ExitCode : int {
  Success = 0,          // "The threat is gone!" or "no encrypted files", not stopped
  LibraryNotBound = 1,  // the decryption library cannot be bound (as the windowed program)
  ArgumentError = 2,    // an argument error or -help (as the windowed program)
  InitRefused = 3,      // the library refused to start the run
  SomeFailed = 6,       // "The recovery process has failed for some files. Only ..."
  NoneDecrypted = 7,    // "Your files couldn't be decrypted"
  DiskFull = 9,         // "The recovery process has been stopped due to insufficient disk space."
  Stopped = 10,         // stopped before its end, whatever the outcome line: run it again to go on
  Other = 11,           // nothing to scan, an unexpected error, a run that could not start
  AnotherRun = 1618,    // another run is going on this machine
};

// The code's word in the JSON line and the report, e.g. "success", "stopped".
const char* exitWord(ExitCode code);

// How a run that reached its end is told by its code. A stop outranks the outcome line, since the files
// after the stop were never offered; a library that refused, and a run that could not do its job at all,
// are told as such even when a stop came too.
ExitCode exitCodeForRun(const RunReport& report, uint64_t decryptedCount);
