// The progress line that a person at a console sees on standard error: the counters and the folder being
// searched, on one line rewritten in place, at most three times a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

struct ProgressFacts {
  uint64_t offered = 0, decrypted = 0, failed = 0;
  std::wstring folder;
};

// "\r<counters> | <folder>" filled with spaces to width - 1 columns, so it overwrites the line before it
// and never wraps; a folder too long for the line keeps its end (the part that tells most), after "...".
std::wstring progressLine(const ProgressFacts& facts, unsigned width);

// Blanks the progress line, so the next text starts on a clean line.
std::wstring clearedProgressLine(unsigned width);

class ProgressPace {
 public:
  static constexpr std::chrono::milliseconds kPeriod{334};  // at most three updates a second
  // True when the line may be written now; then the next one is due a period later.
  bool due(std::chrono::steady_clock::time_point now);

 private:
  std::chrono::steady_clock::time_point next_{};
};
