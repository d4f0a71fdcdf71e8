// The console program's standard output and standard error. Standard output carries one line of UTF-8
// JSON and nothing else. Standard error carries the messages for a person, and, only when it is a console
// (GetConsoleMode answers for it; a pipe or a file that a fleet tool reads does not), the progress line,
// rewritten in place. The system calls are in console_streams_win32.cpp.
#pragma once

#include <string_view>

class ConsoleStreams {
 public:
  virtual ~ConsoleStreams() = default;
  virtual bool errorIsConsole() = 0;
  // The console's width in columns, or 0 when standard error is not a console.
  virtual unsigned errorWidth() = 0;
  // UTF-8 bytes as they are (a console shows them as text).
  virtual void writeOutput(std::string_view utf8) = 0;
  virtual void writeError(std::wstring_view text) = 0;
};

ConsoleStreams& systemStreams();
