// The log callback the checker hands to Init. LogCallback carries no context, so what it sees is kept
// process-wide; a session is one process, and tests reset it between cases.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/library_abi.h"

namespace keyloom_check::log_watch {

void reset();
LogCallback callback();
// From now on every line counts as written after Finish.
void markFinishReturned();

struct Seen {
  size_t lines = 0;
  std::vector<std::string> afterFinish;
};
Seen seen();

}  // namespace keyloom_check::log_watch
