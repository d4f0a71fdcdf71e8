// Starts a program, waits for it with a deadline, ends it when the deadline passes, and collects its exit
// code: the one way the process tests and keyloom-check run another program. The system calls are in
// child_process.cpp; this header needs no windows.h (a handle is the system's HANDLE, a pointer).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace support {

struct StandardHandles {
  void* input = nullptr;  // null: the program has none
  void* output = nullptr;
  void* error = nullptr;
};

struct ChildProgram {
  std::wstring path;                    // the program file, by its full path
  std::vector<std::wstring> arguments;  // after the program's own path; quoted as command_line.h says
  std::wstring working_directory;       // empty: this process's
  // Set (or replaced, the name compared without regard to case) over this process's environment; empty:
  // the program inherits this process's environment as it is.
  std::vector<std::pair<std::wstring, std::wstring>> environment;
  // Given: the program's standard handles, which must be inheritable. Not given: the system's default.
  std::optional<StandardHandles> standard_handles;
  // The program inherits this process's inheritable handles (always when standard_handles are given).
  bool inherit_handles = false;
};

// The exit code of a program that was still running at the deadline and was ended.
inline constexpr uint32_t kEndedAtDeadline = 0xDEAD;

struct ChildEnd {
  bool started = false;
  uint32_t start_error = 0;  // when not started: the system's error code
  uint32_t exit_code = 0;
  bool timed_out = false;  // ended at the deadline; exit_code is then kEndedAtDeadline
};

// Something to do while the program runs, such as answering a prompt on its console: called with the
// program's process id as soon as it has started and then after each wait; it returns how long to wait
// before the next call.
using WhileRunning = std::function<std::chrono::milliseconds(uint32_t process_id)>;

// Runs the program to its end, or until the deadline has passed and it has been ended. Returns once the
// process is gone, with every handle to it closed.
ChildEnd run_with_deadline(const ChildProgram& program, std::chrono::milliseconds deadline,
                           const WhileRunning& while_running = {});

}  // namespace support
