// The life of the process's one run: its phase, the two facts that change how it ends, and the two
// threads it runs on. Everything about a run that several threads read or change lives here.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

enum class RunPhase : uint8_t {
  Idle,      // no run was asked for
  Starting,  // claimed: the settings are gathered and the library initialised
  Running,   // scanning
  Stopping,  // asked to stop, or the scan is over: the file in hand is finished, then the run reports
  Finished,  // reported; the library was finished when it had been initialised
};

class RunLife {
 public:
  RunLife() = default;
  ~RunLife();  // waits for the threads: none outlives what it uses
  RunLife(const RunLife&) = delete;
  RunLife& operator=(const RunLife&) = delete;

  RunPhase phase() const { return phase_.load(); }
  // True while no scan is going on: before a run, while it starts, once a stop was asked for, after it.
  bool stopped() const { return phase() != RunPhase::Running; }

  // The first call claims the process's one run (Idle to Starting); every later call answers false.
  bool claim();
  // Starts the run thread on body. When no thread can be created the claim is given back and the
  // std::system_error goes to the caller.
  void launch(std::function<void()> body);
  // Starting to Running; false when a stop was asked for meanwhile, and the run must not scan.
  bool beginScan();
  // Running to Stopping, waking the progress thread; while the run starts, the stop is kept for beginScan.
  // False when it changes nothing: no run, or a stop already asked for, or the run over.
  bool stop();
  // A stop was asked for while the run started: it must not scan, and ends as after any stop.
  bool stoppedWhileStarting() const { return stopWhileStarting_.load(); }
  // A stop was asked for before the scan came to its end, while starting or while scanning.
  bool stoppedEarly() const { return stopWhileStarting_.load() || stoppedWhileRunning_.load(); }
  // Whatever the phase, from now on the run does not scan; used on every end path.
  void endScan();
  void finish();  // the run has reported

  // The progress thread: started once the scan begins, joined before the run reports.
  void launchProgress(std::function<void()> body);
  void joinProgress();
  // Waits until the deadline or until the scan stops; true when it stopped.
  bool waitForStopUntil(std::chrono::steady_clock::time_point deadline);

  // The progress report failed: the run ends on the failure step.
  void markProgressFailed() { progressFailed_ = true; }
  bool progressFailed() const { return progressFailed_.load(); }

  // Waits at most the timeout for the run to end; true when it has ended or none was started.
  bool waitForEnd(std::chrono::milliseconds timeout);
  // Waits for the run thread to end (returns at once when there is none).
  void wait();

 private:
  void setPhase(RunPhase phase);

  std::atomic<RunPhase> phase_{RunPhase::Idle};
  std::atomic<bool> progressFailed_{false};
  std::atomic<bool> stopWhileStarting_{false};
  std::atomic<bool> stoppedWhileRunning_{false};
  std::mutex lock_;  // guards the phase changes that the progress thread waits on
  std::condition_variable phaseChanged_;
  std::thread runThread_;       // started and joined on the main thread
  std::thread progressThread_;  // started and joined on the run thread
};

// The stop flag as the log and the scan read it, a view of the run's phase.
class StopFlag {
 public:
  explicit StopFlag(const RunLife& life) : life_(life) {}
  bool load() const { return life_.stopped(); }
  operator bool() const { return load(); }

 private:
  const RunLife& life_;
};
