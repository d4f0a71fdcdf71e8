#include "engine/run_life.h"

RunLife::~RunLife() {
  wait();
  joinProgress();
}

void RunLife::setPhase(RunPhase phase) {
  {
    std::lock_guard guard(lock_);
    phase_ = phase;
  }
  phaseChanged_.notify_all();
}

bool RunLife::claim() {
  RunPhase idle = RunPhase::Idle;
  return phase_.compare_exchange_strong(idle, RunPhase::Starting);
}

void RunLife::launch(std::function<void()> body) {
  try {
    runThread_ = std::thread(std::move(body));
  } catch (...) {
    setPhase(RunPhase::Idle);
    throw;
  }
}

bool RunLife::beginScan() {
  std::lock_guard guard(lock_);
  if (stopWhileStarting_ || phase_ != RunPhase::Starting) return false;
  phase_ = RunPhase::Running;
  return true;
}

bool RunLife::stop() {
  {
    std::lock_guard guard(lock_);
    if (phase_ == RunPhase::Starting) {
      // The library may take minutes to start: a stop asked for meanwhile must not be lost.
      return !stopWhileStarting_.exchange(true);
    }
    if (phase_ != RunPhase::Running) return false;
    phase_ = RunPhase::Stopping;
    stoppedWhileRunning_ = true;
  }
  phaseChanged_.notify_all();
  return true;
}

void RunLife::endScan() {
  {
    std::lock_guard guard(lock_);
    if (phase_ == RunPhase::Finished || phase_ == RunPhase::Stopping) return;
    phase_ = RunPhase::Stopping;
  }
  phaseChanged_.notify_all();
}

void RunLife::finish() { setPhase(RunPhase::Finished); }

void RunLife::launchProgress(std::function<void()> body) { progressThread_ = std::thread(std::move(body)); }

void RunLife::joinProgress() {
  if (progressThread_.joinable()) progressThread_.join();
}

bool RunLife::waitForStopUntil(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock guard(lock_);
  return phaseChanged_.wait_until(guard, deadline, [this] { return phase_ != RunPhase::Running; });
}

bool RunLife::waitForEnd(std::chrono::milliseconds timeout) {
  std::unique_lock guard(lock_);
  return phaseChanged_.wait_for(guard, timeout,
                                [this] { return phase_ == RunPhase::Idle || phase_ == RunPhase::Finished; });
}

void RunLife::wait() {
  if (runThread_.joinable() && runThread_.get_id() != std::this_thread::get_id()) runThread_.join();
}
