// The system's side of loading the decryption library (library_loading.h); the calls live in
// library_module.cpp.
#pragma once

#include <cstdint>
#include <string>

// Loads the library at a full path, its own dependencies searched in its folder and the system's. The
// module, or null with the system error code in error. The module is never unloaded.
void* loadLibraryModule(const std::wstring& fullPath, uint32_t& error);
// The export's address, or null; a null module has no exports.
void* libraryExport(void* module, const char* name);
