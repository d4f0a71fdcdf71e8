#include "engine/library_module.h"

#include <windows.h>

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
