// The console program's own options, beside silent mode's: a time limit and a report file. The walk
// (command_line/command_line_walk.h) hands their values back; this judges them.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command_line/command_line_walk.h"

inline const std::vector<FrontEndOption> kConsoleOptions = {
    {L"-max-minutes",
     "Once this many minutes have passed, no further file is started and the run ends as stopped (exit code 10)"},
    {L"-report",
     "Writes a report of every file to this file, one JSON object per line; {computer} in it becomes "
     "the machine's name"},
};

struct ConsoleOptions {
  std::optional<std::chrono::milliseconds> timeLimit;
  std::wstring reportPath;  // {computer} replaced; empty: no report
  std::string problem;      // set when an option is wrong: the line for the log (ANSI code page) and standard error
};

ConsoleOptions readConsoleOptions(const std::vector<FrontEndValue>& values, std::wstring_view computerName);

// A positive number of minutes, whole or with a fraction ("90", "0.5"), up to a year; nothing else.
std::optional<std::chrono::milliseconds> parseMinutes(std::wstring_view text);

// Every "{computer}" becomes the machine's name, made fit for one part of a path: a name is the system's
// answer and is treated as hostile, so it can neither climb out of the folder nor name a device or stream.
std::wstring reportPathFor(std::wstring_view given, std::wstring_view computerName);
std::wstring fileNamePart(std::wstring_view name);
