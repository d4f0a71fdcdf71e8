#include <windows.h>

#include <chrono>
#include <thread>

#include "console/stop_signals.h"

namespace {

struct Handler {
  std::function<void(StopCause)> stop;
  std::function<bool()> ended;
  bool inServicesSession = false;
};
Handler* installed = nullptr;  // set once, before the handler can be called, and never freed

BOOL WINAPI onControl(DWORD signal) {
  const ControlAnswer answer = answerControl(signal, installed->inServicesSession);
  if (answer.stop != StopCause::None) installed->stop(answer.stop);
  // The process ends when this returns: the run must first finish the file in hand and write its end. If
  // that takes longer than the system allows, the system ends the process anyway.
  while (answer.waitForEnd && !installed->ended()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return answer.handled ? TRUE : FALSE;
}

}  // namespace

bool installStopSignals(std::function<void(StopCause)> stop, std::function<bool()> ended, bool inServicesSession) {
  installed = new Handler{std::move(stop), std::move(ended), inServicesSession};
  return SetConsoleCtrlHandler(onControl, TRUE) != 0;
}
