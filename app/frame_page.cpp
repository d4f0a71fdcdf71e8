#include "app/frame_page.h"

#include <fmt/format.h>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "app/logger.h"
#include "app/option_choices.h"
#include "host/page_call.h"
#include "host/text_conversions.h"

using sciter::value;

namespace {

value textKey(const wchar_t* key) { return value::from_wstring(key); }

}  // namespace

value FramePage::call(const char* name, std::initializer_list<value> args) {
  if (closed()) return value();
  return sciter::call_page_function(window_.get(), name, static_cast<unsigned>(args.size()), args.begin());
}

void FramePage::callAtStartUp(const char* name, std::initializer_list<value> args) {
  try {
    call(name, args);
  } catch (const std::runtime_error& error) {
    writeLog(fmt::format("The page rejected {}: {}", name, error.what()), Debug);
  }
}

void FramePage::disableScanPath() { callAtStartUp("disableScanPath"); }
void FramePage::disableTestPath() { callAtStartUp("disableTestPath"); }
void FramePage::disableBackup() { callAtStartUp("disableBackup"); }
void FramePage::disableWholeScan() { callAtStartUp("disableWholeScan"); }
void FramePage::disableOverwrite() { callAtStartUp("disableOverwrite"); }
void FramePage::disableAdvancedOptions() { callAtStartUp("disableAdvancedOptions"); }

void FramePage::addOptions(const std::vector<ToolOption>& options) {
  value list = value::make_array();
  int32_t index = 0;
  for (const ToolOption& option : options) {
    value item = value::make_map();
    item.set_item(textKey(L"id"), value::from_int(static_cast<int32_t>(option.id)));
    item.set_item(textKey(L"name"), sciter::value_from_ansi(option.name));
    item.set_item(textKey(L"description"), sciter::value_from_ansi(option.description));
    item.set_item(textKey(L"checked_by_default"), value::from_bool(option.checkedByDefault));
    list.set_item(index++, item);
  }
  callAtStartUp("addOptions", {list});
}

void FramePage::setRansomwareName(const char* ansiName) {
  callAtStartUp("setRansomwareName", {sciter::value_from_ansi(ansiName)});
}

void FramePage::setToolDescription(const char* ansiDescription) {
  callAtStartUp("setToolDescription", {sciter::value_from_ansi(ansiDescription)});
}

std::wstring FramePage::getEncryptedPath() { return sciter::value_to_text(call("getEncryptedPath")); }

std::wstring FramePage::getTestPath() { return sciter::value_to_text(call("getTestPath")); }

OptionsAnswer FramePage::getOptions() { return readOptionChoices(call("getOptions")); }

void FramePage::setProgressInfo(std::string_view utf8Text) {
  call("setProgressInfo", {sciter::value_from_utf8(utf8Text)});
}

void FramePage::setFinalMessage(std::string_view text, TextEncoding encoding) {
  const std::string bytes(text);
  call("setFinalMessage",
       {encoding == TextEncoding::Utf8 ? sciter::value_from_utf8(bytes) : sciter::value_from_ansi(bytes.c_str())});
}

void FramePage::setLogPath() { call("setLogPath", {sciter::value_from_ansi(Logger::instance().path.c_str())}); }

void FramePage::showFinalStep(bool success) { call("showFinalStep", {value::from_bool(success)}); }

void FramePage::showDecryptionStep() { callAtStartUp("showDecryptionStep", {value::from_bool(false)}); }

FramePage& main_page(const sciter::om::hasset<frame>& window) {
  static FramePage* page = nullptr;
  if (!page) page = new FramePage(window);
  return *page;
}
