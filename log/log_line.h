// Text of one log line, independent of where it is written.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

// "Info" for 0, "Debug" for 1, "Unknown" for anything else.
const char* log_level_word(int level);

// UTC "YYYY-MM-DD hh:mm:ss.fffffff" with the clock's 100 ns resolution.
std::string log_time_stamp(std::chrono::system_clock::time_point when);

// "[stamp]\t[level]\t[message]\n"; the message is written unchanged.
std::string format_log_line(std::chrono::system_clock::time_point when, int level, std::string_view message);

// The line as the C runtime's text mode wrote it: every line feed becomes CR LF. The log is written by
// handle, so its line ends are made here.
std::string with_crlf(std::string_view line);
