#include "host/engine_binding.h"

#include <cstdlib>

namespace {

// A function of kernel32 that older systems lack: null there.
template <class Fn>
Fn kernel_function(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

}  // namespace

void keep_working_directory_out_of_dll_search() {
  // An empty DLL directory takes the working directory out of the standard search order on Windows
  // (Wine 8 takes it as no DLL directory at all, so there the default directories below do the work).
  SetDllDirectoryW(L"");
  // Where the system offers them (Windows 8 on, Windows 7 with its update; Wine), resolved at run time
  // so that older systems still start the program: the safe default directories leave PATH out as
  // well, and SearchPathW looks in the working directory last.
  using FlagsFunction = BOOL(WINAPI*)(DWORD);
  if (auto set_default = kernel_function<FlagsFunction>("SetDefaultDllDirectories"))
    set_default(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (auto set_mode = kernel_function<FlagsFunction>("SetSearchPathMode"))
    set_mode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}

namespace sciter {
namespace {

const abi::ISciterAPI* bind_engine() {
  HMODULE module = LoadLibraryW(L"sciter.dll");
  if (!module) std::exit(-1);
  auto entry = reinterpret_cast<abi::SciterAPI_ptr>(GetProcAddress(module, "SciterAPI"));
  if (!entry) {
    FreeLibrary(module);
    std::exit(-1);
  }
  const abi::ISciterAPI* table = entry();
  if (!table) std::exit(-1);
  return table;
}

}  // namespace

const abi::ISciterAPI& api() {
  static const abi::ISciterAPI* const table = bind_engine();  // magic static: one binding, any thread
  return *table;
}

}  // namespace sciter
