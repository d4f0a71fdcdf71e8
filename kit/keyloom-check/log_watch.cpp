#include "log_watch.h"

#include <atomic>
#include <mutex>

namespace keyloom_check::log_watch {
namespace {

// A library may log from threads of its own, so the record is guarded.
std::mutex guard;
Seen state;
std::atomic<bool> finishReturned{false};

void onLog(std::string_view message, int) {
  const std::lock_guard lock(guard);
  ++state.lines;
  if (finishReturned) state.afterFinish.emplace_back(message);
}

}  // namespace

void reset() {
  const std::lock_guard lock(guard);
  state = Seen{};
  finishReturned = false;
}

LogCallback callback() { return &onLog; }

void markFinishReturned() { finishReturned = true; }

Seen seen() {
  const std::lock_guard lock(guard);
  return state;
}

}  // namespace keyloom_check::log_watch
