// What a session process tells the checker, one line at a time, written to a file as it goes so that a
// crash or a hang still leaves the record of how far it got:
//   plan<TAB><id>                 a check the session means to run
//   enter<TAB><id>                the library is about to be called for that check
//   row<TAB><id><TAB><status><TAB><detail>
//   crash<TAB><code><TAB><stale>   written by the crash handler; stale 1 = the fault hit InitParams after Init
//   done                          the session ran to its end
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check_row.h"

namespace keyloom_check::protocol {

std::string planLine(const std::string& id);
std::string enterLine(const std::string& id);
std::string rowLine(const Row& row);
inline constexpr const char* kDoneLine = "done";

// The exit code of a session that the checker itself ended in the middle of a write (WriteFault::Kill).
inline constexpr uint32_t kKilledMidWriteExitCode = 0x4b111;

struct SessionEnd {
  bool timedOut = false;
  unsigned timeoutSeconds = 0;
  uint32_t exitCode = 0;
};

// The session's rows. When it did not reach "done", the check it was in is failed with the cause (crash,
// hang or sudden exit) and the planned checks it never reached are reported as not run.
std::vector<Row> rowsFromSession(const std::string& output, const SessionEnd& end);

// Words for a Windows exception code, e.g. "access violation (0xc0000005)".
std::string describeExceptionCode(uint32_t code);

}  // namespace keyloom_check::protocol
