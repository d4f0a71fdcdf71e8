// Process-wide facts about the one run a process may perform, shared by the run thread, the progress
// thread and the main thread without a lock.
#pragma once

#include <atomic>

namespace run_control {

// Set by the first start request; a process performs at most one run, so it is never cleared once a
// run thread exists.
inline std::atomic<bool> claimed{false};

// Set by the progress thread when it could not report; the run then ends on the failure step.
inline std::atomic<bool> progressFailed{false};

}  // namespace run_control
