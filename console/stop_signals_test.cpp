#include <gtest/gtest.h>

#include "console/stop_signals.h"

namespace {

TEST(StopSignals, WhatEachConsoleSignalMeans) {
  const struct {
    uint32_t signal;
    bool servicesSession;
    StopCause stop;
    bool waits, handled;
  } cases[] = {
      {0, false, StopCause::CtrlC, false, true},
      {1, true, StopCause::CtrlBreak, false, true},
      {2, false, StopCause::ConsoleClosed, true, true},
      {5, false, StopCause::LogOff, true, true},
      // In session 0 a log-off is some user's, not this run's: no stop, and the default handler, which
      // does not end such a process, gets the signal.
      {5, true, StopCause::None, false, false},
      {6, false, StopCause::ShutDown, true, true},
      {6, true, StopCause::ShutDown, true, true},
      {3, false, StopCause::None, false, false},
  };
  for (const auto& c : cases) {
    const ControlAnswer answer = answerControl(c.signal, c.servicesSession);
    EXPECT_EQ(answer.stop, c.stop) << c.signal << " " << c.servicesSession;
    EXPECT_EQ(answer.waitForEnd, c.waits) << c.signal;
    EXPECT_EQ(answer.handled, c.handled) << c.signal;
  }
  EXPECT_STREQ(stopCauseWord(StopCause::TimeLimit), "time-limit");
  EXPECT_STREQ(stopCauseWord(StopCause::None), "");
}

}  // namespace
