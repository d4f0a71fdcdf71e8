#include "engine/decryptor.h"

#include <filesystem>
#include <fmt/format.h>
#include <system_error>

#include "engine/library_lookup.h"
#include "engine/library_module.h"

namespace {

template <class Fn>
Fn boundExport(void* module, const char* name) {
  return reinterpret_cast<Fn>(libraryExport(module, name));
}

}  // namespace

Decryptor& Decryptor::instance() {
  static Decryptor* decryptor = nullptr;
  if (!decryptor) decryptor = new Decryptor();
  return *decryptor;
}

bool Decryptor::loadLibrary() {
  void* module = nullptr;
  std::error_code error;
  // Only the working directory is searched, in listing order, and only the first match is tried.
  std::filesystem::directory_iterator entries(".", error);
  for (const std::filesystem::directory_iterator end; !error && entries != end; entries.increment(error)) {
    std::error_code statusError;
    if (!entries->is_regular_file(statusError)) continue;
    const std::wstring& path = entries->path().native();
    if (!namesTheLibrary(path)) continue;
    // Loaded by its full path: only the folder it was chosen from may supply it.
    std::error_code absoluteError;
    const std::filesystem::path fullPath = std::filesystem::absolute(entries->path(), absoluteError);
    uint32_t loadError = 0;
    module = loadLibraryModule(absoluteError ? path : fullPath.native(), loadError);
    if (!module) {
      writeLine(fmt::format("Could not load the decryption library (0x{:x}).", loadError), Debug);
      return false;
    }
    break;
  }
  if (error && !module) {
    writeLine(fmt::format("Could not list the working directory to find the decryption library: {}",
                          error.message()),
              Debug);
  }

  getInfo = boundExport<GetInfoFn>(module, "GetInfo");
  init = boundExport<InitFn>(module, "Init");
  decryptSingleFile = boundExport<DecryptSingleFileFn>(module, "DecryptSingleFile");
  finish = boundExport<FinishFn>(module, "Finish");
  const auto missing = missingExportLines(getInfo, init, decryptSingleFile, finish);
  for (const std::string& line : missing) writeLine(line, Debug);
  return missing.empty();
}

void Decryptor::publishToolInfo() {
  // Value-initialised: every byte, padding included, starts at zero as the library expects.
  info = new ToolInfo();
  getInfo(info);

  RunPage& page = *window;
  if (!info->scanPathEnabled) page.disableScanPath();
  if (!info->testPathEnabled) page.disableTestPath();
  if (!info->backupEnabled) page.disableBackup();
  if (!info->wholeScanEnabled) page.disableWholeScan();
  if (!info->overwriteEnabled) page.disableOverwrite();

  if (info->options.empty() && !info->overwriteEnabled) {
    page.disableAdvancedOptions();
  } else {
    page.addOptions(info->options);
  }
  page.setRansomwareName(info->name);
  page.setToolDescription(info->description);
}

std::vector<OptionChoice> Decryptor::readOptions() { return window->getOptions(); }
