// The checker's calls into Windows, kept apart from the checks so that those can be tested in-process.
#pragma once

#include <string>

#include "coordinator.h"
#include "session.h"

namespace keyloom_check::platform {

// Loads the library the way the tool does (by its full path, its dependencies from its own folder and the
// system's, never the working directory by name) and binds the four exports by name.
// On false, error says why the system refused it.
bool loadLibrary(const std::wstring& path, LibraryExports& library, std::string& error);

// For a session process: protocol lines go to the file, and a crash is written there before the process ends.
SessionPlatform sessionPlatform(const std::wstring& protocolPath);

// For the checker's own process: sessions are this program started again with --session.
CoordinatorPlatform coordinatorPlatform(const CheckArguments& arguments);

}  // namespace keyloom_check::platform
