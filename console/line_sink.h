// Where the console program's lines go: the report, the summary's CSV. The file on the machine is
// output_file_win32.cpp's; tests hand their own.
#pragma once

#include <cstdint>
#include <string_view>

class LineSink {
 public:
  virtual ~LineSink() = default;
  // Writes the line and a line feed whole and flushes them, so a run that is killed leaves every line
  // written so far. After a failed write nothing more is written, so the file never has a gap; false
  // from then on.
  virtual bool writeLine(std::string_view line) = 0;
  virtual uint32_t error() const = 0;  // the system's error code of the failed write, 0 while none failed
};
