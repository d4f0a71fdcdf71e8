// The console program's two commands: a run (silent mode's command line) and the summary of a folder of
// reports. Each returns the process's exit code.
#pragma once

#include <string>
#include <vector>

// arguments[0] is the program path.
int runCommand(const std::vector<std::wstring>& arguments);

// arguments[1] is "summary".
int summaryCommand(const std::vector<std::wstring>& arguments);
