// The page's side of native objects: the engine asks the window's event handler for the passport of its
// native object and calls the methods the page names through the passport's method table.
#include "standins/ui-engine/native_objects.h"

#include <map>
#include <mutex>
#include <vector>

#include "standins/ui-engine/engine_actions.h"
#include "standins/ui-engine/engine_state.h"
#include "standins/ui-engine/journal.h"

namespace standin {

uint64_t atom_of(const std::string& name) {
  static auto* lock = new std::mutex();
  static auto* atoms = new std::map<std::string, uint64_t>();
  std::lock_guard guard(*lock);
  auto [it, added] = atoms->emplace(name, atoms->size() + 1);
  return it->second;
}

json call_native_method(HWND window, const std::string& object, const std::string& method, const json& args) {
  journal("PageCallsNative", {{"object", object}, {"method", method}, {"args", args}});
  const std::optional<WindowRecord> record = find_window(window);
  if (!record || !record->event_proc) return json{{"missing", object}};

  abi::SOM_PARAMS request{abi::SOM_GET_PASSPORT, nullptr};
  if (!record->event_proc(record->event_tag, nullptr, abi::HANDLE_SOM, &request) || !request.data)
    return json{{"missing", object}};
  const auto* passport = static_cast<const abi::som_passport_t*>(request.data);
  if (passport->name != atom_of(object)) return json{{"missing", object}};

  const abi::som_method_def_t* found = nullptr;
  for (size_t i = 0; i < passport->n_methods; ++i)
    if (passport->methods[i].name == atom_of(method)) found = &passport->methods[i];
  if (!found || !found->func) return json{{"missing", object + "." + method}};

  abi::SOM_PARAMS asset_request{abi::SOM_GET_ASSET, nullptr};
  record->event_proc(record->event_tag, nullptr, abi::HANDLE_SOM, &asset_request);

  std::vector<VALUE> argv(args.is_array() ? args.size() : 0);
  for (size_t i = 0; i < argv.size(); ++i) {
    value_init(&argv[i]);
    script_value_from_json(&argv[i], args[i]);
  }
  VALUE result;
  value_init(&result);
  found->func(static_cast<abi::som_asset_t*>(asset_request.data), static_cast<UINT>(argv.size()), argv.data(), &result);
  json out = value_to_json(&result);
  if (result.t == abi::T_UNDEFINED) out = json{{"undefined", true}};
  value_clear(&result);
  for (VALUE& v : argv) value_clear(&v);
  return out;
}

}  // namespace standin
