// Loading the decryption library and finding its exports; the system calls live in library_module.cpp.
#pragma once

#include <cstdint>
#include <string>

// The module, or null with the system error code in error. The module is never unloaded.
void* loadLibraryModule(const std::wstring& path, uint32_t& error);
// The export's address, or null; a null module has no exports.
void* libraryExport(void* module, const char* name);
