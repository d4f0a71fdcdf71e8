#include "engine/decryptor.h"

#include <fmt/format.h>

#include "engine/library_loading.h"
#include "engine/library_lookup.h"
#include "engine/library_records.h"

Decryptor& Decryptor::instance() {
  static Decryptor* decryptor = nullptr;
  if (!decryptor) decryptor = new Decryptor();
  return *decryptor;
}

bool Decryptor::loadLibrary() {
  if (const std::optional<std::string> refusal = libraryFolderRefusal(*folderRights)) {
    writeLine(*refusal, Debug);
    return false;
  }
  const LibraryChoice choice = findLibraryInWorkingDirectory(systemFolders());
  LibraryExports exports;
  if (!choice.name.empty()) {
    const LoadedLibrary loaded = loadLibraryByFullPath(choice.name);
    if (!loaded.module) {
      writeLine(fmt::format("Could not load the decryption library (0x{:x}).", loaded.error), Debug);
      return false;
    }
    exports = loaded.exports;
    libraryPath = choice.name;
  } else if (choice.listingError) {
    writeLine(fmt::format("Could not list the working directory to find the decryption library: {}",
                          platform->systemMessage(choice.listingError)),
              Debug);
  }

  getInfo = exports.getInfo;
  init = exports.init;
  decryptSingleFile = exports.decryptSingleFile;
  finish = exports.finish;
  const auto missing = missingExportLines(getInfo, init, decryptSingleFile, finish);
  for (const std::string& line : missing) writeLine(line, Debug);
  return missing.empty();
}

bool Decryptor::publishToolInfo() {
  // Value-initialised: every byte, padding included, starts at zero as the library expects.
  info = new ToolInfo();
  getInfo(info);
  if (const std::optional<std::string> problem = optionListProblem(*info)) {
    writeLine(fmt::format("The decryption library's option list cannot be read: {}.", *problem), Debug);
    forgetOptionList(*info);
    return false;
  }

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
  return true;
}

OptionsAnswer Decryptor::readOptions() { return window->getOptions(); }
