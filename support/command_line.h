// Command lines for programs started with CreateProcessW: each argument quoted so that the program's C
// runtime, and CommandLineToArgvW, read back exactly the text that was given.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace support {

// One argument for a command line. Spaces and tabs separate arguments, so an argument holding one, a quote,
// or nothing at all is put in quotes; backslashes count only before a quote, so those are doubled there
// (the closing quote included) and a quote inside is escaped. Anything else is written as it is.
std::wstring quote(std::wstring_view argument);

// The program's path and the arguments, each quoted, separated by spaces. The path is read back by other
// rules (up to the closing quote, backslashes as they are), which quoting meets for any file name.
std::wstring command_line(std::wstring_view program, const std::vector<std::wstring>& arguments);

}  // namespace support
