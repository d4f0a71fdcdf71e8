#include <chrono>
#include <exception>
#include <fmt/format.h>

#include "engine/decryptor.h"
#include "engine/progress_text.h"

namespace {
constexpr std::chrono::milliseconds kProgressPeriod{300};
}  // namespace

void Decryptor::progressLoop() {
  try {
    if (stopped) return;
    do {
      window->setProgressInfo(progressText(decryptedCount, failedCount));
      // Measured on the steady clock; a stop ends the wait at once, so the outcome never waits for it.
      run.waitForStopUntil(std::chrono::steady_clock::now() + kProgressPeriod);
    } while (!stopped);
  } catch (const std::exception& error) {
    // Without a progress report the user cannot follow the run: end it rather than scan on blindly.
    writeLine(fmt::format("The progress report failed: {}", error.what()), Info);
    run.markProgressFailed();
    run.stop();
  } catch (...) {
    writeLine("The progress report failed for an unknown reason.", Info);
    run.markProgressFailed();
    run.stop();
  }
}

bool Decryptor::requestStop() {
  if (!run.stop()) return false;
  writeLine(
      "The decryption process has been stopped! Waiting for the last file to be decrypted, to avoid corruption...",
      Info);
  return true;
}

void Decryptor::windowClosed(const std::function<void()>& whileWaiting) {
  if (run.stop()) {
    writeLine("The window was closed during the run: it ends after the file in hand.", Debug);
  }
  while (!run.waitForEnd(std::chrono::milliseconds(20))) {
    if (whileWaiting) whileWaiting();
  }
  run.wait();
}
