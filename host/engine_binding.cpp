#include "host/engine_binding.h"

#include <cstdlib>

namespace sciter {
namespace {

const abi::ISciterAPI* bind_engine() {
  HMODULE module = LoadLibraryW(L"sciter.dll");
  if (!module) std::exit(-1);
  auto entry = reinterpret_cast<abi::SciterAPI_ptr>(reinterpret_cast<void*>(GetProcAddress(module, "SciterAPI")));
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
