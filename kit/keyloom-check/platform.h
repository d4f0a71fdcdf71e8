// The checker's calls into Windows, kept apart from the checks so that those can be tested in-process.
#pragma once

#include <string>

#include "coordinator.h"
#include "session.h"

namespace keyloom_check::platform {

// Loads the library with the tool's own code (engine/library_loading.h: the working directory taken out of
// the DLL search, the library loaded by its full path, the four exports bound by name) and reads the names
// of its export table. On false, error says why the system refused it.
bool loadLibrary(const std::wstring& path, CheckedLibrary& library, std::string& error);

// For a session process: protocol lines go to the file, and a crash is written there before the process ends.
SessionPlatform sessionPlatform(const std::wstring& protocolPath);

// Makes the library's writes reachable by platform.setWriteFault (its own imports of WriteFile); false,
// leaving setWriteFault empty, where it has none.
bool reachWrites(const CheckedLibrary& library, SessionPlatform& platform);

// For the checker's own process: sessions are this program started again with --session.
CoordinatorPlatform coordinatorPlatform(const CheckArguments& arguments);

}  // namespace keyloom_check::platform
