// What a finished run tells the log and the page: the outcome lines, the final message, whether the log
// path is worth showing, and which final step the page shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/library_abi.h"
#include "engine/run_page.h"

struct RunReport {
  enum Kind {
    Outcome,      // the scan ran (or was stopped) and outcome says what it found
    InitRefused,  // the library refused to start the run
    Problem,      // the run could not do its job at all: nothing to scan, an unexpected error
  };
  Kind kind = Outcome;
  FileResult outcome = NotEncrypted;  // the highest answer over the run, for Outcome
  bool stoppedEarly = false;          // a stop was asked for before the scan's end (set when the run ends)
  std::vector<std::string> lines;     // logged at Info, in order; the page's progress list shows them too
  std::string finalMessage;
  TextEncoding encoding = TextEncoding::Ansi;  // of finalMessage
  bool showLogPath = false;
  bool success = false;            // success step, otherwise the failure step
  bool pageMayBeTheCause = false;  // each page call is tried on its own
};

// The run's outcome is the highest FileResult met over the whole run.
RunReport reportOutcome(FileResult outcome, uint64_t decryptedCount, uint64_t failedCount);

// A run that could not do its job at all (nothing to scan, an unexpected error): the failure step with the
// reason as final message, and the log path for the details.
RunReport reportProblem(std::string_view reason);

// Init refused: the library's own message (UTF-8) or "Initialization failed.", with the log path. The window's
// own start logs nothing on this path; a run from the command line logs the message at Info, so that the log
// alone tells how the run ended.
RunReport reportInitFailure(std::string errorText, bool logged);

// An error that nobody expected; the page itself may be what failed.
RunReport reportUnexpectedError();

// The page's answer about the chosen options could not be read: nothing was started or removed. The page
// itself may be what failed.
RunReport reportUnreadableOptions();

inline FileResult worseOf(FileResult a, FileResult b) { return a > b ? a : b; }
