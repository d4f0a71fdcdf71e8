// The existence test of -scan-path and -test-path, asked of the system the way the scan will ask.
#pragma once

#include <string>

#include "command_line/command_line_walk.h"

// The platform's not-found answers mean "does not exist"; any other failure is reported and counts as
// not existing, since a run could not use the path either.
PathCheck checkPathExists(const std::wstring& path);
