#include "log/log_line.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;

// 2026-12-07 06:21:25 UTC plus a fraction, built from the calendar so the test does not depend on the zone.
system_clock::time_point at(nanoseconds fraction) {
  return sys_days{year{2026} / 12 / 7} + hours{6} + minutes{21} + seconds{25} +
         duration_cast<system_clock::duration>(fraction);
}

TEST(LogTimeStamp, SevenFractionalDigitsInUtc) {
  EXPECT_EQ(log_time_stamp(at(nanoseconds{123456789})), "2026-12-07 06:21:25.1234567");
  EXPECT_EQ(log_time_stamp(at(nanoseconds{0})), "2026-12-07 06:21:25.0000000");
  EXPECT_EQ(log_time_stamp(at(nanoseconds{99})), "2026-12-07 06:21:25.0000000");  // below 100 ns is cut
  EXPECT_EQ(log_time_stamp(sys_days{year{1999} / 1 / 2} + hours{3} + minutes{4} + seconds{5}),
            "1999-01-02 03:04:05.0000000");
}

struct LineCase {
  const char* name;
  int level;
  std::string message;
  std::string expected;
};

class LogLine : public testing::TestWithParam<LineCase> {};

TEST_P(LogLine, Format) {
  EXPECT_EQ(format_log_line(at(nanoseconds{500}), GetParam().level, GetParam().message), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LogLine,
    testing::Values(LineCase{"info", 0, "Scanning system...",
                             "[2026-12-07 06:21:25.0000005]\t[Info]\t[Scanning system...]\n"},
                    LineCase{"debug", 1, "Missing scan path argument.",
                             "[2026-12-07 06:21:25.0000005]\t[Debug]\t[Missing scan path argument.]\n"},
                    LineCase{"unknown_level", 7, "x", "[2026-12-07 06:21:25.0000005]\t[Unknown]\t[x]\n"},
                    LineCase{"negative_level", -1, "x", "[2026-12-07 06:21:25.0000005]\t[Unknown]\t[x]\n"},
                    LineCase{"empty_message", 0, "", "[2026-12-07 06:21:25.0000005]\t[Info]\t[]\n"},
                    LineCase{"line_feed_kept", 1, "a\nb", "[2026-12-07 06:21:25.0000005]\t[Debug]\t[a\nb]\n"},
                    LineCase{"braces_not_formatted", 0, "{} {0}", "[2026-12-07 06:21:25.0000005]\t[Info]\t[{} {0}]\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
