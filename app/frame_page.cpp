#include "app/frame_page.h"

#include <initializer_list>
#include <string>

#include "app/logger.h"
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

void FramePage::disableScanPath() { call("disableScanPath"); }
void FramePage::disableTestPath() { call("disableTestPath"); }
void FramePage::disableBackup() { call("disableBackup"); }
void FramePage::disableWholeScan() { call("disableWholeScan"); }
void FramePage::disableOverwrite() { call("disableOverwrite"); }
void FramePage::disableAdvancedOptions() { call("disableAdvancedOptions"); }

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
  call("addOptions", {list});
}

void FramePage::setRansomwareName(const char* ansiName) {
  call("setRansomwareName", {sciter::value_from_ansi(ansiName)});
}

void FramePage::setToolDescription(const char* ansiDescription) {
  call("setToolDescription", {sciter::value_from_ansi(ansiDescription)});
}

std::wstring FramePage::getEncryptedPath() { return sciter::value_to_text(call("getEncryptedPath")); }

std::wstring FramePage::getTestPath() { return sciter::value_to_text(call("getTestPath")); }

std::vector<OptionChoice> FramePage::getOptions() {
  const value list = call("getOptions");
  std::vector<OptionChoice> choices;
  // The count is read anew before each element.
  for (int32_t index = 0; index < list.length(); ++index) {
    const value item = list.get_item(index);
    const value id = item.get_item(textKey(L"id"));
    int32_t idNumber = 0;
    if (id.type() != sciter::abi::T_INT || !id.get_int(idNumber)) idNumber = 0;
    int32_t checked = 0;
    if (!item.get_item(textKey(L"checked")).get_int(checked)) checked = 0;
    choices.push_back({checked != 0, static_cast<uint32_t>(idNumber)});
  }
  return choices;
}

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

void FramePage::showDecryptionStep() { call("showDecryptionStep", {value::from_bool(false)}); }

FramePage& main_page(const sciter::om::hasset<frame>& window) {
  static FramePage* page = nullptr;
  if (!page) page = new FramePage(window);
  return *page;
}
