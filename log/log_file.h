// The program's log file, "OstrivelLog.txt" in the temporary folder: where it is, and how one line is
// added to it. Both front ends write through here, so a run from the window and one from the console leave
// the same lines in the same file.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

inline constexpr const char* kLogFileName = "OstrivelLog.txt";

// The temporary folder the system reports for this account (GetTempPath2W where the system has it), with
// its trailing separator; empty when it cannot.
std::wstring temporaryFolder();

// A path in the file-system code page (the ANSI code page), by its short name when its long one has no
// form there; empty when neither has.
std::string fileSystemPath(const std::wstring& wide);

// The full path in the file-system code page (the ANSI code page); empty when the platform cannot report
// a temporary folder, or its path has no form in the code page, not even its short one.
std::string logFilePath();

// Appends "[stamp]\t[level]\t[message]" and CR LF, opening and closing the file for the line, so nothing
// stays open or buffered between lines; lines from several threads never interleave. The file is opened
// as safe_append.h says: a link, a second name or a path that leads elsewhere at its place is not written.
// A file that cannot be opened or is refused loses the line without a word, and the next line tries again.
// Never throws.
void writeLogLine(const std::string& path, std::string_view message, int level,
                  std::chrono::system_clock::time_point when = std::chrono::system_clock::now());
