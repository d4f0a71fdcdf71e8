// What stops a console run before its end, and what the console's control signals mean for it. The
// system calls a control handler on a thread of its own; for Ctrl+C and Ctrl+Break it waits for nothing,
// but after the handler of a close, log-off or shut-down signal returns (or once the system's time for it
// has passed: 5 s for a closed console, 5 s or 20 s for a log-off or shut-down) it ends the process. So for
// those the handler asks for the stop and then waits until the run has finished the file in hand and the
// report is written. The installation is in stop_signals_win32.cpp.
#pragma once

#include <cstdint>
#include <functional>

enum class StopCause : uint8_t { None, TimeLimit, CtrlC, CtrlBreak, ConsoleClosed, LogOff, ShutDown };

// "time-limit", "ctrl-c", "ctrl-break", "console-closed", "log-off", "shut-down"; empty for None.
const char* stopCauseWord(StopCause cause);

struct ControlAnswer {
  StopCause stop = StopCause::None;  // the stop to ask for, or None
  bool waitForEnd = false;           // the handler returns only once the run has ended
  bool handled = false;              // the handler's result: false hands the signal to the next handler
};

// The system's signal numbers (CTRL_C_EVENT and the others). In session 0, where services and the
// programs they start run, a log-off signal comes whenever any user logs off: it says nothing about this
// run, which goes on; the signal goes on to the default handler, which for such processes does not end
// them.
ControlAnswer answerControl(uint32_t signal, bool inServicesSession);

// Installs the handler: stop is called with the cause (from the system's thread), and the handler then
// waits, where the signal asks for it, until ended() answers true. Both must stay callable until the
// process ends. False when the system refused the handler.
bool installStopSignals(std::function<void(StopCause)> stop, std::function<bool()> ended, bool inServicesSession);
