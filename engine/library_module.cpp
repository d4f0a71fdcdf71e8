// The system calls of library loading (library_loading.h, library_module.h).
#include "engine/library_module.h"

#include <windows.h>

#include "engine/library_loading.h"

namespace {

// A function of kernel32 that older systems lack: null there.
template <class Fn>
Fn kernelFunction(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

}  // namespace

void keepWorkingDirectoryOutOfDllSearch() {
  // An empty DLL directory takes the working directory out of the standard search order on Windows
  // (Wine 8 takes it as no DLL directory at all, so there the default directories below do the work).
  SetDllDirectoryW(L"");
  // Where the system offers them (Windows 8 on, Windows 7 with its update; Wine), resolved at run time
  // so that older systems still start the program: the safe default directories leave PATH out as
  // well, and SearchPathW looks in the working directory last.
  using FlagsFunction = BOOL(WINAPI*)(DWORD);
  if (auto setDefault = kernelFunction<FlagsFunction>("SetDefaultDllDirectories"))
    setDefault(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (auto setMode = kernelFunction<FlagsFunction>("SetSearchPathMode"))
    setMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}

void* loadLibraryModule(const std::wstring& fullPath, uint32_t& error) {
  HMODULE module =
      LoadLibraryExW(fullPath.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  // A system without the search flags refuses them as a parameter; the altered search order also looks
  // in the library's folder first, and the working directory is out of it already.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
    module = LoadLibraryExW(fullPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  error = module ? 0 : GetLastError();
  return module;
}

void* libraryExport(void* module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}
