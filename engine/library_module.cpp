#include "engine/library_module.h"

#include <windows.h>

void* loadLibraryModule(const std::wstring& path, uint32_t& error) {
  HMODULE module = LoadLibraryW(path.c_str());
  error = module ? 0 : GetLastError();
  return module;
}

void* libraryExport(void* module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}
