// The one way a decryption library is loaded, by the tool (Decryptor::loadLibrary) and by keyloom-check
// alike, so that the checker checks what the tool does: the DLL search path set up first, the library loaded
// by its full path, its four exports bound by name. Which file the tool picks is library_lookup.h's rule;
// the system calls are in library_module.cpp.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/library_abi.h"

// Takes the working directory out of the DLL search path, for this process and every library it loads
// later: an elevated program must not bind a DLL that someone planted in the folder it was started from.
// The program's own folder and the system folders stay, so the UI engine is still found beside the program.
// Call before the first library is bound, the UI engine's included.
void keepWorkingDirectoryOutOfDllSearch();

// The four exports, each null when the library lacks it (or when no library was loaded).
struct LibraryExports {
  GetInfoFn getInfo = nullptr;
  InitFn init = nullptr;
  DecryptSingleFileFn decryptSingleFile = nullptr;
  FinishFn finish = nullptr;
};

struct LoadedLibrary {
  void* module = nullptr;  // null when the system refused the library; error then holds its error code
  uint32_t error = 0;
  LibraryExports exports;
};

// Loads the library by the system's full form of path (the path as given where the system has none), the
// DLLs it imports looked for in its own folder and the system folders, and binds the four exports by name.
// The module is never unloaded: the texts GetInfo hands out stay readable until the process ends.
LoadedLibrary loadLibraryByFullPath(std::wstring_view path);
