// A file the console program writes (the report, the summary's CSV) at the path the administrator's
// command line gives, a share as a rule. The path is taken as given, but nothing planted at it can turn the
// writes elsewhere: the file is always made new, beside the path, and then renamed into its place.
// Whatever was at the path (an earlier report, or a link, or a second name of some other file that someone
// put there) loses its name to it, which never touches what a link points to or the file's other names;
// only a file that this program created is written. The system calls are in output_file_win32.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "console/line_sink.h"

// What the system says of the file just opened at the path, before anything is written to it.
struct OpenedFileFacts {
  bool onDisk = true;       // a file of a file system (not a pipe or a device, which the command line may name)
  uint32_t attributes = 0;  // FILE_ATTRIBUTE_*
  uint32_t links = 1;       // the names the file has
};

// Why the file just made must not be written after all, or empty when it may: a link (a symbolic link, a
// junction or any other reparse point), a folder, or a file with more than one name is not what was made.
std::string outputFileRefusal(const OpenedFileFacts& facts);

struct OutputOpening {
  std::unique_ptr<LineSink> sink;  // null when refused or when the system could not open it
  std::string problem;             // then why, in UTF-8
};

// Makes the file at the path as given (relative to the working directory), in the place of what is there.
OutputOpening openOutputFile(const std::wstring& path);
