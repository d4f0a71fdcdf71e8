// One run per machine: a named mutex in the global namespace, so that runs from every session (the system
// account's in session 0, an administrator's at the desktop) see each other. Any account may create an
// object there first, and the malware may still be about, so a mutex that this tool did not create is told
// apart: this tool creates it owned by the Administrators group and open to administrators and the system
// only, which no other account can fake. One found otherwise is someone else's, and the run is refused with
// the owner named rather than reported as "another run is going on", which a fleet tool would retry
// forever. The system calls are in one_run_guard_win32.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

inline constexpr const wchar_t* kOneRunGuardName = L"Global\\OstrivelRecoveryRun";

// What the system answered while the guard was taken.
struct GuardAnswers {
  bool opened = false;        // a handle to the mutex, new or existing
  uint32_t openError = 0;     // otherwise the system's error code
  bool existed = false;       // the mutex was there before
  bool ownerTrusted = false;  // its owner is the Administrators group or the system account
  std::string owner;          // the owner's account name, for the message
  bool acquired = false;      // the wait gave this run the mutex (held by nobody, or left by a run that died)
};

enum class GuardVerdict {
  Taken,       // this run holds the guard until the process ends
  AnotherRun,  // a run of this tool holds it: exit code 1618
  Blocked,     // someone else's object holds the name, or the system would not answer
};

GuardVerdict judgeGuard(const GuardAnswers& answers);

// The message for a Blocked verdict, in UTF-8.
std::string blockedGuardMessage(const GuardAnswers& answers, const std::wstring& name = kOneRunGuardName);

// Held for the life of the process by the thread that took it (the main thread).
class OneRunGuard {
 public:
  virtual ~OneRunGuard() = default;
  virtual GuardVerdict verdict() const = 0;
  virtual const GuardAnswers& answers() const = 0;
};

// name: the guard's name; tests give one of their own, so they never meet a run of the program.
std::unique_ptr<OneRunGuard> takeOneRunGuard(const std::wstring& name = kOneRunGuardName);
