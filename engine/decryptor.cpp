#include "engine/decryptor.h"

#include <windows.h>

#include <filesystem>
#include <fmt/format.h>
#include <system_error>

#include "app/logger.h"
#include "engine/library_lookup.h"
#include "host/frame.h"
#include "host/page_call.h"
#include "host/text_conversions.h"

namespace {

template <class Fn>
Fn boundExport(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

sciter::value textKey(const wchar_t* key) { return sciter::value::from_wstring(key); }

}  // namespace

Decryptor& Decryptor::instance() {
  static Decryptor* decryptor = nullptr;
  if (!decryptor) decryptor = new Decryptor();
  return *decryptor;
}

bool Decryptor::loadLibrary() {
  Logger::instance();
  HMODULE module = nullptr;
  std::error_code error;
  // Only the working directory is searched, in listing order, and only the first match is tried.
  std::filesystem::directory_iterator entries(".", error);
  for (const std::filesystem::directory_iterator end; !error && entries != end; entries.increment(error)) {
    std::error_code statusError;
    if (!entries->is_regular_file(statusError)) continue;
    const std::wstring& path = entries->path().native();
    if (!namesTheLibrary(path)) continue;
    module = LoadLibraryW(path.c_str());
    if (!module) {
      writeLog(fmt::format("Could not load the decryption library (0x{:x}).", GetLastError()), Debug);
      return false;
    }
    break;
  }
  if (error && !module) {
    writeLog(fmt::format("Could not list the working directory to find the decryption library: {}",
                         error.message()),
             Debug);
  }

  getInfo = boundExport<GetInfoFn>(module, "GetInfo");
  init = boundExport<InitFn>(module, "Init");
  decryptSingleFile = boundExport<DecryptSingleFileFn>(module, "DecryptSingleFile");
  finish = boundExport<FinishFn>(module, "Finish");
  const auto missing = missingExportLines(getInfo, init, decryptSingleFile, finish);
  for (const std::string& line : missing) writeLog(line, Debug);
  return missing.empty();
}

void Decryptor::publishToolInfo() {
  // Value-initialised: every byte, padding included, starts at zero as the library expects.
  info = new ToolInfo();
  getInfo(info);

  const frame* page = window.get();
  const struct {
    bool enabled;
    const char* disabler;
  } features[] = {
      {info->scanPathEnabled, "disableScanPath"}, {info->testPathEnabled, "disableTestPath"},
      {info->backupEnabled, "disableBackup"},     {info->wholeScanEnabled, "disableWholeScan"},
      {info->overwriteEnabled, "disableOverwrite"},
  };
  for (const auto& feature : features) {
    if (!feature.enabled) sciter::call_page_function(page, feature.disabler);
  }

  if (info->options.empty() && !info->overwriteEnabled) {
    sciter::call_page_function(page, "disableAdvancedOptions");
  } else {
    sciter::value list = sciter::value::make_array();
    int32_t index = 0;
    for (const ToolOption& option : info->options) {
      sciter::value item = sciter::value::make_map();
      item.set_item(textKey(L"id"), sciter::value::from_int(static_cast<int32_t>(option.id)));
      item.set_item(textKey(L"name"), sciter::value_from_ansi(option.name));
      item.set_item(textKey(L"description"), sciter::value_from_ansi(option.description));
      item.set_item(textKey(L"checked_by_default"), sciter::value::from_bool(option.checkedByDefault));
      list.set_item(index++, item);
    }
    sciter::call_page_function(page, "addOptions", {list});
  }

  sciter::call_page_function(page, "setRansomwareName", {sciter::value_from_ansi(info->name)});
  sciter::call_page_function(page, "setToolDescription", {sciter::value_from_ansi(info->description)});
}

std::vector<OptionChoice> Decryptor::readOptions() {
  const sciter::value list = sciter::call_page_function(window.get(), "getOptions");
  std::vector<OptionChoice> choices;
  for (int32_t index = 0; index < list.length(); ++index) {
    const sciter::value item = list.get_item(index);
    const sciter::value id = item.get_item(textKey(L"id"));
    int32_t idNumber = 0;
    if (id.type() != sciter::abi::T_INT || !id.get_int(idNumber)) idNumber = 0;
    int32_t checked = 0;
    if (!item.get_item(textKey(L"checked")).get_int(checked)) checked = 0;
    choices.push_back({checked != 0, static_cast<uint32_t>(idNumber)});
  }
  return choices;
}
