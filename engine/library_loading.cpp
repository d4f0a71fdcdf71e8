#include "engine/library_loading.h"

#include <string>

#include "engine/folder_system.h"
#include "engine/library_module.h"

namespace {

template <class Fn>
Fn boundExport(void* module, const char* name) {
  return reinterpret_cast<Fn>(libraryExport(module, name));
}

}  // namespace

LoadedLibrary loadLibraryByFullPath(std::wstring_view path) {
  LoadedLibrary loaded;
  // A relative path would leave the choice of folder to the loader's search, and the loader's flags that
  // keep the working directory out accept a full path only.
  loaded.module = loadLibraryModule(fullPathOrAsGiven(path), loaded.error);
  if (!loaded.module) return loaded;
  loaded.exports.getInfo = boundExport<GetInfoFn>(loaded.module, "GetInfo");
  loaded.exports.init = boundExport<InitFn>(loaded.module, "Init");
  loaded.exports.decryptSingleFile = boundExport<DecryptSingleFileFn>(loaded.module, "DecryptSingleFile");
  loaded.exports.finish = boundExport<FinishFn>(loaded.module, "Finish");
  return loaded;
}
