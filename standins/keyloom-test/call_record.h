// The record of every call the test library received, appended line by line (UTF-8, fields separated by
// tabs) so a test can read it at any moment, even while the calling process still runs:
//   GetInfo
//   Init<TAB>scan=<path><TAB>test=<path><TAB>options=<id>:<0|1>,...<TAB>log=<set|none>
//   Begin<TAB><path>                      DecryptSingleFile has started on the file
//   DecryptSingleFile<TAB><path><TAB><result>   ...and returned
//   Finish
#pragma once

#include <string>
#include <vector>

#include "engine/library_abi.h"

namespace keyloom_test {

std::string initLine(const InitParams& params);
std::string optionsText(const std::vector<OptionChoice>& options);

}  // namespace keyloom_test
