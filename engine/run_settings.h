// Settings that silent mode hands to a run instead of reading them from the page.
#pragma once

#include <string>
#include <vector>

#include "engine/library_abi.h"

struct RunSettings {
  std::wstring scanPath;
  std::wstring testPath;
  std::vector<OptionChoice> options;  // always {backup, 1}, {whole scan, 2}, {replace, 3}
};
