// The exported function table of the stand-in engine: the entries the program uses, each journaled.
#include <windows.h>

#include "standins/ui-engine/archive.h"
#include "standins/ui-engine/debug_sink.h"
#include "standins/ui-engine/document_loader.h"
#include "standins/ui-engine/engine_state.h"
#include "standins/ui-engine/journal.h"
#include "standins/ui-engine/native_objects.h"
#include "standins/ui-engine/page.h"
#include "standins/ui-engine/values.h"

namespace standin {
namespace {

using abi::SBOOL;

json handle_json(const void* p) { return p ? json(reinterpret_cast<uintptr_t>(p)) : json(nullptr); }
json text_json(const wchar_t* text) { return text ? json(utf8_from_wide(text)) : json(nullptr); }

SBOOL SCAPI SciterDataReady(HWND hwnd, const wchar_t* uri, const uint8_t* data, UINT length) {
  journal("SciterDataReady", {{"window", handle_json(hwnd)}, {"uri", text_json(uri)}, {"length", length}});
  data_ready(hwnd, uri, data, length);
  return true;
}

SBOOL SCAPI SciterLoadFile(HWND hwnd, const wchar_t* url) {
  journal("SciterLoadFile", {{"window", handle_json(hwnd)}, {"url", text_json(url)}});
  return hwnd && url && load_document(hwnd, url);
}

void SCAPI SciterSetCallback(HWND hwnd, abi::LPSciterHostCallback callback, void* param) {
  journal("SciterSetCallback", {{"window", handle_json(hwnd)}, {"callback", callback != nullptr}});
  if (std::optional<WindowRecord> record = find_window(hwnd)) {
    record->host_callback = callback;
    record->host_param = param;
    update_window(hwnd, *record);
  }
}

SBOOL SCAPI SciterCall(HWND hwnd, const char* name, UINT argc, const VALUE* argv, VALUE* result) {
  json args = json::array();
  for (UINT i = 0; i < argc && argv; ++i) args.push_back(value_to_json(&argv[i]));
  const std::string function = name ? name : "";
  journal("SciterCall", {{"name", function}, {"args", args}});
  if (!hwnd || !find_window(hwnd)) {
    journal("SciterCallRefused", {{"name", function}});
    return false;
  }
  // An argument (or the result) that the engine did not make cannot reach a script.
  for (UINT i = 0; i < argc && argv; ++i) {
    if (!engine_made(&argv[i])) {
      journal("ValueRefused", {{"call", "SciterCall"}, {"name", function}, {"argument", i}});
      return false;
    }
  }
  if (result && !engine_made(result)) {
    journal("ValueRefused", {{"call", "SciterCall"}, {"name", function}, {"argument", "result"}});
    return false;
  }
  const PageCallResult answer = page().call(hwnd, function, args);
  if (!result) return answer.ok;
  if (!answer.ok) {
    value_set_error(result, wide_from_utf8(answer.error));
    return false;
  }
  script_value_from_json(result, answer.value);
  return true;
}

SBOOL SCAPI SciterSetOption(HWND hwnd, UINT option, UINT_PTR value) {
  journal("SciterSetOption", {{"window", handle_json(hwnd)}, {"option", option}, {"value", value}});
  return true;
}

HWND SCAPI SciterCreateWindow(UINT flags, RECT* frame, abi::SciterWindowDelegate delegate, void* param, HWND parent) {
  json rect = frame ? json::array({frame->left, frame->top, frame->right, frame->bottom}) : json(nullptr);
  HWND hwnd = create_engine_window(flags, frame, delegate, param, parent);
  journal("SciterCreateWindow", {{"flags", flags},
                                 {"frame", rect},
                                 {"delegate", delegate != nullptr},
                                 {"parent", handle_json(parent)},
                                 {"window", handle_json(hwnd)}});
  return hwnd;
}

void SCAPI SciterSetupDebugOutput(HWND hwnd, void* param, abi::DEBUG_OUTPUT_PROC proc) {
  journal("SciterSetupDebugOutput", {{"window", handle_json(hwnd)}, {"proc", proc != nullptr}});
  set_debug_sink(param, proc);
}

abi::INT SCAPI SciterWindowAttachEventHandler(HWND hwnd, abi::LPElementEventProc proc, void* tag, UINT subscription) {
  journal("SciterWindowAttachEventHandler", {{"window", handle_json(hwnd)}, {"subscription", subscription}});
  std::optional<WindowRecord> record = find_window(hwnd);
  if (!record || !proc) return 1;
  record->event_proc = proc;
  record->event_tag = tag;
  update_window(hwnd, *record);
  // Like an engine: ask which groups the handler wants, then tell it that it is attached.
  UINT wanted = 0;
  proc(tag, nullptr, abi::SUBSCRIPTIONS_REQUEST, &wanted);
  journal("HandlerSubscribed", {{"groups", wanted}});
  abi::INITIALIZATION_PARAMS attach{abi::BEHAVIOR_ATTACH};
  proc(tag, nullptr, abi::HANDLE_INITIALIZATION, &attach);
  return 0;
}

UINT SCAPI ValueInit(VALUE* v) {
  journal("ValueInit");
  value_init(v);
  return abi::HV_OK;
}
UINT SCAPI ValueClear(VALUE* v) {
  journal("ValueClear");
  return value_clear(v);
}
UINT SCAPI ValueCopy(VALUE* dst, const VALUE* src) {
  journal("ValueCopy");
  return value_copy(dst, src);
}
UINT SCAPI ValueIsolate(VALUE* v) {
  journal("ValueIsolate");
  return value_isolate(v);
}
UINT SCAPI ValueStringData(const VALUE* v, const wchar_t** chars, UINT* count) {
  journal("ValueStringData");
  return value_string_data(v, chars, count);
}
UINT SCAPI ValueStringDataSet(VALUE* v, const wchar_t* chars, UINT count, UINT units) {
  journal("ValueStringDataSet",
          {{"text", utf8_from_wide(chars ? std::wstring_view(chars, count) : std::wstring_view())}, {"units", units}});
  return value_string_data_set(v, chars, count, units);
}
UINT SCAPI ValueIntData(const VALUE* v, abi::INT* out) {
  journal("ValueIntData");
  return value_int_data(v, out);
}
UINT SCAPI ValueIntDataSet(VALUE* v, abi::INT data, UINT type, UINT units) {
  journal("ValueIntDataSet", {{"data", data}, {"type", type}, {"units", units}});
  return value_int_data_set(v, data, type, units);
}
UINT SCAPI ValueFloatData(const VALUE* v, double* out) {
  journal("ValueFloatData");
  return value_float_data(v, out);
}
UINT SCAPI ValueElementsCount(const VALUE* v, abi::INT* count) {
  journal("ValueElementsCount");
  return value_elements_count(v, count);
}
UINT SCAPI ValueNthElementValue(const VALUE* v, abi::INT n, VALUE* out) {
  journal("ValueNthElementValue", {{"index", n}});
  return value_nth_element(v, n, out);
}
UINT SCAPI ValueNthElementValueSet(VALUE* v, abi::INT n, const VALUE* element) {
  journal("ValueNthElementValueSet", {{"index", n}});
  return value_nth_element_set(v, n, element);
}
UINT SCAPI ValueSetValueToKey(VALUE* v, const VALUE* key, const VALUE* element) {
  journal("ValueSetValueToKey", {{"key", value_to_json(key)}});
  return value_set_value_to_key(v, key, element);
}
UINT SCAPI ValueGetValueOfKey(const VALUE* v, const VALUE* key, VALUE* out) {
  journal("ValueGetValueOfKey", {{"key", value_to_json(key)}});
  return value_get_value_of_key(v, key, out);
}
UINT SCAPI ValueToString(VALUE* v, UINT how) {
  journal("ValueToString", {{"how", how}});
  return value_to_string(v, how);
}

void* SCAPI SciterOpenArchive(const uint8_t* data, UINT length) {
  void* handle = open_archive(data, length);
  journal("SciterOpenArchive", {{"length", length}, {"handle", handle_json(handle)}});
  return handle;
}
SBOOL SCAPI SciterGetArchiveItem(void* archive, const wchar_t* path, const uint8_t** data, UINT* length) {
  const bool found = archive_item(archive, path, data, length);
  journal("SciterGetArchiveItem", {{"path", text_json(path)}, {"length", found && length ? *length : 0}});
  return found;
}
SBOOL SCAPI SciterCloseArchive(void* archive) {
  journal("SciterCloseArchive", {{"handle", handle_json(archive)}});
  return close_archive(archive);
}

abi::som_atom_t SCAPI SciterAtomValue(const char* name) {
  journal("SciterAtomValue", {{"name", name ? name : ""}});
  return name ? atom_of(name) : 0;
}

abi::ISciterAPI make_table() {
  abi::ISciterAPI t{};
  t.version = 9;
  t.SciterDataReady = &SciterDataReady;
  t.SciterLoadFile = &SciterLoadFile;
  t.SciterSetCallback = &SciterSetCallback;
  t.SciterCall = &SciterCall;
  t.SciterSetOption = &SciterSetOption;
  t.SciterCreateWindow = &SciterCreateWindow;
  t.SciterSetupDebugOutput = &SciterSetupDebugOutput;
  t.SciterWindowAttachEventHandler = &SciterWindowAttachEventHandler;
  t.ValueInit = &ValueInit;
  t.ValueClear = &ValueClear;
  t.ValueCopy = &ValueCopy;
  t.ValueIsolate = &ValueIsolate;
  t.ValueStringData = &ValueStringData;
  t.ValueStringDataSet = &ValueStringDataSet;
  t.ValueIntData = &ValueIntData;
  t.ValueIntDataSet = &ValueIntDataSet;
  t.ValueFloatData = &ValueFloatData;
  t.ValueElementsCount = &ValueElementsCount;
  t.ValueNthElementValue = &ValueNthElementValue;
  t.ValueNthElementValueSet = &ValueNthElementValueSet;
  t.ValueSetValueToKey = &ValueSetValueToKey;
  t.ValueGetValueOfKey = &ValueGetValueOfKey;
  t.ValueToString = &ValueToString;
  t.SciterOpenArchive = &SciterOpenArchive;
  t.SciterGetArchiveItem = &SciterGetArchiveItem;
  t.SciterCloseArchive = &SciterCloseArchive;
  t.SciterAtomValue = &SciterAtomValue;
  return t;
}

}  // namespace
}  // namespace standin

extern "C" __declspec(dllexport) sciter::abi::ISciterAPI* SCAPI SciterAPI() {
  static sciter::abi::ISciterAPI table = standin::make_table();
  return &table;
}
