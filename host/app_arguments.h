// The process's command-line arguments as UTF-16 strings; element 0 is the program as started.
#pragma once

#include <string>
#include <vector>

const std::vector<std::wstring>& app_arguments();
