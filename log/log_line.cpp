#include "log/log_line.h"

#include <fmt/format.h>

const char* log_level_word(int level) {
  switch (level) {
    case 0:
      return "Info";
    case 1:
      return "Debug";
    default:
      return "Unknown";
  }
}

std::string log_time_stamp(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  // The system clock may tick finer than 100 ns (MinGW counts nanoseconds); the log keeps 100 ns.
  using ticks = duration<int64_t, std::ratio<1, 10'000'000>>;
  const auto t = floor<ticks>(when);
  const auto day = floor<days>(t);
  const year_month_day date{day};
  const hh_mm_ss<ticks> time{t - day};
  return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}.{:07}", static_cast<int>(date.year()),
                     static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), time.hours().count(),
                     time.minutes().count(), time.seconds().count(), time.subseconds().count());
}

std::string format_log_line(std::chrono::system_clock::time_point when, int level, std::string_view message) {
  return fmt::format("[{}]\t[{}]\t[{}]\n", log_time_stamp(when), log_level_word(level), message);
}

std::string with_crlf(std::string_view line) {
  std::string out;
  out.reserve(line.size() + 8);
  for (const char c : line) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}
