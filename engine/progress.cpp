#include <chrono>
#include <exception>
#include <fmt/format.h>
#include <thread>

#include "app/logger.h"
#include "engine/decryptor.h"
#include "engine/progress_text.h"
#include "engine/run_control.h"
#include "host/frame.h"
#include "host/page_call.h"
#include "host/text_conversions.h"

namespace {
constexpr std::chrono::milliseconds kProgressPeriod{300};

// The standard sleep may wake early; what is left of the period is slept again.
void sleepOnePeriod() {
  const auto until = std::chrono::steady_clock::now() + kProgressPeriod;
  for (auto now = std::chrono::steady_clock::now(); now < until; now = std::chrono::steady_clock::now()) {
    std::this_thread::sleep_for(until - now);
  }
}
}  // namespace

void Decryptor::progressLoop() {
  try {
    if (stopped) return;
    do {
      const std::string text = progressText(decryptedCount, failedCount);
      sciter::call_page_function(window.get(), "setProgressInfo", {sciter::value_from_utf8(text)});
      sleepOnePeriod();
    } while (!stopped);
  } catch (const std::exception& error) {
    // Without a progress report the user cannot follow the run: end it rather than scan on blindly.
    writeLog(fmt::format("The progress report failed: {}", error.what()), Info);
    run_control::progressFailed = true;
    stopped = true;
  } catch (...) {
    writeLog("The progress report failed for an unknown reason.", Info);
    run_control::progressFailed = true;
    stopped = true;
  }
}

void Decryptor::requestStop() {
  if (stopped.exchange(true)) return;
  writeLog("The decryption process has been stopped! Waiting for the last file to be decrypted, to avoid corruption...",
           Info);
}
