// The UI engine's function table, bound once per process on first use and never unloaded.
#pragma once

#include "host/sciter_abi.h"

namespace sciter {

// Loads sciter.dll (from the program's folder or the system's, never the working directory once
// prepare_process has run, app_main.h) and calls its SciterAPI export on first use
// (thread-safe). When the library, the export or the table is missing, the process ends at once with
// exit code -1: nothing can be shown without it.
const abi::ISciterAPI& api();

}  // namespace sciter
