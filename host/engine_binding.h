// The UI engine's function table, bound once per process on first use and never unloaded.
#pragma once

#include "host/sciter_abi.h"

// Takes the working directory out of the DLL search path, for this process and every library it loads
// later: an elevated program must not bind a DLL that someone planted in the folder it was started from.
// The program's own folder and the system folders stay, so sciter.dll is still found beside the program.
// Call before the first library is bound.
void keep_working_directory_out_of_dll_search();

namespace sciter {

// Loads sciter.dll (from the program's folder or the system's, never the working directory once
// keep_working_directory_out_of_dll_search has run) and calls its SciterAPI export on first use
// (thread-safe). When the library, the export or the table is missing, the process ends at once with
// exit code -1: nothing can be shown without it.
const abi::ISciterAPI& api();

}  // namespace sciter
