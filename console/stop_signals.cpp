#include "console/stop_signals.h"

namespace {
// The signal numbers of wincon.h.
constexpr uint32_t kCtrlC = 0, kCtrlBreak = 1, kClose = 2, kLogOff = 5, kShutDown = 6;
}  // namespace

const char* stopCauseWord(StopCause cause) {
  switch (cause) {
    case StopCause::None:
      return "";
    case StopCause::TimeLimit:
      return "time-limit";
    case StopCause::CtrlC:
      return "ctrl-c";
    case StopCause::CtrlBreak:
      return "ctrl-break";
    case StopCause::ConsoleClosed:
      return "console-closed";
    case StopCause::LogOff:
      return "log-off";
    case StopCause::ShutDown:
      return "shut-down";
  }
  return "";
}

ControlAnswer answerControl(uint32_t signal, bool inServicesSession) {
  switch (signal) {
    case kCtrlC:
      return {StopCause::CtrlC, false, true};
    case kCtrlBreak:
      return {StopCause::CtrlBreak, false, true};
    case kClose:
      return {StopCause::ConsoleClosed, true, true};
    case kLogOff:
      if (inServicesSession) return {StopCause::None, false, false};
      return {StopCause::LogOff, true, true};
    case kShutDown:
      return {StopCause::ShutDown, true, true};
    default:
      return {StopCause::None, false, false};
  }
}
