#include "standins/ui-engine/values.h"

#include <cstring>
#include <mutex>
#include <unordered_set>
#include <utility>
#include <vector>

#include "standins/ui-engine/journal.h"

namespace standin {
namespace abi = sciter::abi;

namespace {

struct StringData {
  std::wstring chars;
};
struct ArrayData {  // a plain array, or a script array (T_OBJECT, UT_OBJECT_ARRAY)
  std::vector<VALUE> items;
};
struct MapData {                                 // a plain map, or a script object (T_OBJECT, UT_OBJECT_OBJECT)
  std::vector<std::pair<VALUE, VALUE>> entries;  // insertion order, like a script object
};

// Every storage the stand-in made and has not freed yet. A value is the engine's only when the storage
// its data field names is among them.
struct MadeStorage {
  std::mutex lock;
  std::unordered_set<uint64_t> live;
};
MadeStorage& made() {
  static auto* storage = new MadeStorage();  // kept to the very end of the process
  return *storage;
}

template <class T>
uint64_t remember(T* p) {
  const auto d = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p));
  std::lock_guard guard(made().lock);
  made().live.insert(d);
  return d;
}
void forget(uint64_t d) {
  std::lock_guard guard(made().lock);
  made().live.erase(d);
}
bool was_made(uint64_t d) {
  std::lock_guard guard(made().lock);
  return made().live.count(d) > 0;
}

bool has_storage(UINT type) {
  return type == abi::T_STRING || type == abi::T_ARRAY || type == abi::T_MAP || type == abi::T_OBJECT;
}
bool is_array_kind(const VALUE* v) {
  return v->t == abi::T_ARRAY || (v->t == abi::T_OBJECT && v->u == abi::UT_OBJECT_ARRAY);
}
bool is_map_kind(const VALUE* v) {
  return v->t == abi::T_MAP || (v->t == abi::T_OBJECT && v->u != abi::UT_OBJECT_ARRAY);
}

StringData* as_string(const VALUE* v) { return reinterpret_cast<StringData*>(static_cast<uintptr_t>(v->d)); }
ArrayData* as_array(const VALUE* v) { return reinterpret_cast<ArrayData*>(static_cast<uintptr_t>(v->d)); }
MapData* as_map(const VALUE* v) { return reinterpret_cast<MapData*>(static_cast<uintptr_t>(v->d)); }

// Refusals, each with a journal line naming the call.
UINT refuse_foreign(const char* call, const VALUE* v) {
  journal("ValueRefused", {{"call", call}, {"type", v->t}, {"why", "a value the engine did not make"}});
  return abi::HV_BAD_PARAMETER;
}
UINT refuse_object(const char* call, const VALUE* v) {
  journal("ValueRefused", {{"call", call}, {"type", v->t}, {"why", "a script object that was not isolated"}});
  return abi::HV_INCOMPATIBLE_TYPE;
}

// The first of the values that the stand-in did not make, if any.
const VALUE* foreign_among(std::initializer_list<const VALUE*> values) {
  for (const VALUE* v : values)
    if (v && !engine_made(v)) return v;
  return nullptr;
}

// Frees what the stand-in made; storage it did not make is not its to free.
void free_value(VALUE* v) {
  if (has_storage(v->t) && v->d && was_made(v->d)) {
    forget(v->d);
    if (v->t == abi::T_STRING) {
      delete as_string(v);
    } else if (is_array_kind(v)) {
      for (VALUE& item : as_array(v)->items) free_value(&item);
      delete as_array(v);
    } else {
      for (auto& [key, item] : as_map(v)->entries) {
        free_value(&key);
        free_value(&item);
      }
      delete as_map(v);
    }
  }
  value_init(v);
}

VALUE copy_of(const VALUE* src) {
  VALUE copy{src->t, src->u, src->d};
  if (!has_storage(src->t)) return copy;
  if (src->t == abi::T_STRING) {
    copy.d = remember(new StringData{as_string(src)->chars});
  } else if (is_array_kind(src)) {
    auto* out = new ArrayData();
    for (const VALUE& item : as_array(src)->items) out->items.push_back(copy_of(&item));
    copy.d = remember(out);
  } else {
    auto* out = new MapData();
    for (const auto& [key, item] : as_map(src)->entries) out->entries.emplace_back(copy_of(&key), copy_of(&item));
    copy.d = remember(out);
  }
  return copy;
}

// Replaces what the value held.
void assign(VALUE* dst, VALUE fresh) {
  free_value(dst);
  *dst = fresh;
}

VALUE new_array(UINT type, UINT units, size_t length) {
  auto* a = new ArrayData();
  a->items.resize(length, VALUE{abi::T_UNDEFINED, 0, 0});
  return VALUE{type, units, remember(a)};
}
VALUE new_map(UINT type, UINT units) { return VALUE{type, units, remember(new MapData())}; }
VALUE new_string(std::wstring chars, UINT units) {
  return VALUE{abi::T_STRING, units, remember(new StringData{std::move(chars)})};
}

bool same_key(const VALUE* a, const VALUE* b) {
  if (a->t != b->t) return false;
  if (a->t == abi::T_STRING) return as_string(a)->chars == as_string(b)->chars;
  return a->d == b->d;
}

double float_of(const VALUE* v) {
  double d = 0;
  std::memcpy(&d, &v->d, sizeof d);
  return d;
}

std::wstring text_of(const VALUE* v) {
  switch (v->t) {
    case abi::T_UNDEFINED:
      return L"undefined";
    case abi::T_NULL:
      return L"null";
    case abi::T_BOOL:
      return v->d ? L"true" : L"false";
    case abi::T_INT:
      return std::to_wstring(static_cast<int32_t>(v->d));
    case abi::T_STRING:
      return as_string(v)->chars;
    default:
      return wide_from_utf8(value_to_json(v).dump());
  }
}

void isolate_in_place(VALUE* v) {
  if (v->t == abi::T_OBJECT) {
    v->t = v->u == abi::UT_OBJECT_ARRAY ? abi::T_ARRAY : abi::T_MAP;
    v->u = 0;
  }
  if (v->t == abi::T_ARRAY) {
    for (VALUE& item : as_array(v)->items) isolate_in_place(&item);
  } else if (v->t == abi::T_MAP) {
    for (auto& [key, item] : as_map(v)->entries) isolate_in_place(&item);
  }
}

}  // namespace

bool engine_made(const VALUE* v) { return !has_storage(v->t) || (v->d && was_made(v->d)); }

void value_init(VALUE* v) { *v = VALUE{abi::T_UNDEFINED, 0, 0}; }

UINT value_clear(VALUE* v) {
  if (!v) return abi::HV_BAD_PARAMETER;
  if (!engine_made(v)) {
    refuse_foreign("ValueClear", v);
    value_init(v);  // nothing of it is the engine's to free
    return abi::HV_BAD_PARAMETER;
  }
  free_value(v);
  return abi::HV_OK;
}

UINT value_copy(VALUE* dst, const VALUE* src) {
  if (const VALUE* foreign = foreign_among({dst, src})) return refuse_foreign("ValueCopy", foreign);
  if (dst != src) assign(dst, copy_of(src));
  return abi::HV_OK;
}

UINT value_isolate(VALUE* v) {
  if (!engine_made(v)) return refuse_foreign("ValueIsolate", v);
  isolate_in_place(v);
  return abi::HV_OK;
}

UINT value_string_data(const VALUE* v, const wchar_t** chars, UINT* count) {
  if (!engine_made(v)) return refuse_foreign("ValueStringData", v);
  if (v->t != abi::T_STRING) return abi::HV_INCOMPATIBLE_TYPE;
  const std::wstring& s = as_string(v)->chars;
  if (chars) *chars = s.c_str();
  if (count) *count = static_cast<UINT>(s.size());
  return abi::HV_OK;
}

UINT value_string_data_set(VALUE* v, const wchar_t* chars, UINT count, UINT units) {
  if (!engine_made(v)) return refuse_foreign("ValueStringDataSet", v);
  assign(v, new_string(chars ? std::wstring(chars, count) : std::wstring(), units));
  return abi::HV_OK;
}

UINT value_int_data(const VALUE* v, int32_t* out) {
  if (!engine_made(v)) return refuse_foreign("ValueIntData", v);
  if (v->t != abi::T_INT && v->t != abi::T_BOOL) return abi::HV_INCOMPATIBLE_TYPE;
  if (out) *out = static_cast<int32_t>(v->d);
  return abi::HV_OK;
}

// Integers and booleans; and the engine's own containers: an array of that many undefined elements, or an
// empty map.
UINT value_int_data_set(VALUE* v, int32_t data, UINT type, UINT units) {
  if (!engine_made(v)) return refuse_foreign("ValueIntDataSet", v);
  switch (type) {
    case abi::T_INT:
    case abi::T_BOOL:
      assign(v, VALUE{type, units, static_cast<uint32_t>(type == abi::T_BOOL ? (data != 0) : data)});
      return abi::HV_OK;
    case abi::T_ARRAY:
      if (data < 0) return abi::HV_BAD_PARAMETER;
      assign(v, new_array(abi::T_ARRAY, units, static_cast<size_t>(data)));
      return abi::HV_OK;
    case abi::T_MAP:
      assign(v, new_map(abi::T_MAP, units));
      return abi::HV_OK;
    default:
      return abi::HV_BAD_PARAMETER;
  }
}

UINT value_float_data(const VALUE* v, double* out) {
  if (!engine_made(v)) return refuse_foreign("ValueFloatData", v);
  if (v->t != abi::T_FLOAT) return abi::HV_INCOMPATIBLE_TYPE;
  if (out) *out = float_of(v);
  return abi::HV_OK;
}

UINT value_elements_count(const VALUE* v, int32_t* count) {
  if (!engine_made(v)) return refuse_foreign("ValueElementsCount", v);
  if (v->t == abi::T_OBJECT) return refuse_object("ValueElementsCount", v);
  int32_t n = 0;
  if (v->t == abi::T_ARRAY)
    n = static_cast<int32_t>(as_array(v)->items.size());
  else if (v->t == abi::T_MAP)
    n = static_cast<int32_t>(as_map(v)->entries.size());
  else
    return abi::HV_INCOMPATIBLE_TYPE;
  if (count) *count = n;
  return abi::HV_OK;
}

UINT value_nth_element(const VALUE* v, int32_t n, VALUE* out) {
  if (const VALUE* foreign = foreign_among({v, out})) return refuse_foreign("ValueNthElementValue", foreign);
  if (v->t == abi::T_OBJECT) return refuse_object("ValueNthElementValue", v);
  if (n < 0) return abi::HV_BAD_PARAMETER;
  const auto at = static_cast<size_t>(n);
  if (v->t == abi::T_ARRAY && at < as_array(v)->items.size()) {
    assign(out, copy_of(&as_array(v)->items[at]));
    return abi::HV_OK;
  }
  if (v->t == abi::T_MAP && at < as_map(v)->entries.size()) {
    assign(out, copy_of(&as_map(v)->entries[at].second));
    return abi::HV_OK;
  }
  return abi::HV_BAD_PARAMETER;
}

// An array grows to hold the index; a map sets the value of its n-th entry; any other value becomes an
// array.
UINT value_nth_element_set(VALUE* v, int32_t n, const VALUE* element) {
  if (const VALUE* foreign = foreign_among({v, element})) return refuse_foreign("ValueNthElementValueSet", foreign);
  if (v->t == abi::T_OBJECT) return refuse_object("ValueNthElementValueSet", v);
  if (n < 0) return abi::HV_BAD_PARAMETER;
  const auto at = static_cast<size_t>(n);
  if (v->t == abi::T_MAP) {
    if (at >= as_map(v)->entries.size()) return abi::HV_BAD_PARAMETER;
    assign(&as_map(v)->entries[at].second, copy_of(element));
    return abi::HV_OK;
  }
  if (v->t != abi::T_ARRAY) assign(v, new_array(abi::T_ARRAY, 0, 0));
  std::vector<VALUE>& items = as_array(v)->items;
  if (items.size() <= at) items.resize(at + 1, VALUE{abi::T_UNDEFINED, 0, 0});
  assign(&items[at], copy_of(element));
  return abi::HV_OK;
}

UINT value_set_value_to_key(VALUE* v, const VALUE* key, const VALUE* element) {
  if (const VALUE* foreign = foreign_among({v, key, element})) return refuse_foreign("ValueSetValueToKey", foreign);
  if (v->t == abi::T_OBJECT) return refuse_object("ValueSetValueToKey", v);
  if (v->t != abi::T_MAP) assign(v, new_map(abi::T_MAP, 0));
  for (auto& [k, item] : as_map(v)->entries) {
    if (same_key(&k, key)) {
      assign(&item, copy_of(element));
      return abi::HV_OK;
    }
  }
  as_map(v)->entries.emplace_back(copy_of(key), copy_of(element));
  return abi::HV_OK;
}

UINT value_get_value_of_key(const VALUE* v, const VALUE* key, VALUE* out) {
  if (const VALUE* foreign = foreign_among({v, key, out})) return refuse_foreign("ValueGetValueOfKey", foreign);
  if (v->t == abi::T_OBJECT) return refuse_object("ValueGetValueOfKey", v);
  if (v->t != abi::T_MAP) return abi::HV_INCOMPATIBLE_TYPE;
  for (const auto& [k, item] : as_map(v)->entries) {
    if (same_key(&k, key)) {
      assign(out, copy_of(&item));
      return abi::HV_OK;
    }
  }
  free_value(out);  // an absent key reads as undefined
  return abi::HV_OK;
}

UINT value_to_string(VALUE* v, UINT how) {
  if (!engine_made(v)) return refuse_foreign("ValueToString", v);
  if (how != 0) return abi::HV_BAD_PARAMETER;
  if (v->t == abi::T_STRING) return abi::HV_OK;
  assign(v, new_string(text_of(v), abi::UT_STRING_STRING));
  return abi::HV_OK;
}

json value_to_json(const VALUE* v) {
  if (!engine_made(v)) return json{{"refused", "not made by the engine"}};
  switch (v->t) {
    case abi::T_UNDEFINED:
    case abi::T_NULL:
      return nullptr;
    case abi::T_BOOL:
      return v->d != 0;
    case abi::T_INT:
      return static_cast<int32_t>(v->d);
    case abi::T_FLOAT:
      return float_of(v);
    case abi::T_STRING: {
      std::string text = utf8_from_wide(as_string(v)->chars);
      if (v->u == abi::UT_STRING_ERROR) return json{{"error", text}};
      return text;
    }
    default:
      break;
  }
  if (is_array_kind(v)) {
    auto out = json::array();
    for (const VALUE& item : as_array(v)->items) out.push_back(value_to_json(&item));
    return out;
  }
  if (is_map_kind(v)) {
    auto out = json::object();
    for (const auto& [k, item] : as_map(v)->entries) out[utf8_from_wide(text_of(&k))] = value_to_json(&item);
    return out;
  }
  return "<unsupported type " + std::to_string(v->t) + ">";
}

void script_value_from_json(VALUE* v, const json& j) {
  VALUE fresh{abi::T_UNDEFINED, 0, 0};
  if (j.is_boolean()) {
    fresh = VALUE{abi::T_BOOL, 0, j.get<bool>() ? 1u : 0u};
  } else if (j.is_number_float()) {
    const double d = j.get<double>();
    fresh.t = abi::T_FLOAT;
    std::memcpy(&fresh.d, &d, sizeof d);
  } else if (j.is_number_integer()) {
    fresh = VALUE{abi::T_INT, 0, static_cast<uint32_t>(j.get<int32_t>())};
  } else if (j.is_string()) {
    fresh = new_string(wide_from_utf8(j.get<std::string>()), abi::UT_STRING_STRING);
  } else if (j.is_array()) {
    fresh = new_array(abi::T_OBJECT, abi::UT_OBJECT_ARRAY, j.size());
    for (size_t i = 0; i < j.size(); ++i) script_value_from_json(&as_array(&fresh)->items[i], j[i]);
  } else if (j.is_object()) {
    fresh = new_map(abi::T_OBJECT, abi::UT_OBJECT_OBJECT);
    for (const auto& [key, item] : j.items()) {
      VALUE k{abi::T_UNDEFINED, 0, 0}, c{abi::T_UNDEFINED, 0, 0};
      script_value_from_json(&k, key);
      script_value_from_json(&c, item);
      as_map(&fresh)->entries.emplace_back(k, c);
    }
  }
  assign(v, fresh);
}

void value_set_error(VALUE* v, const std::wstring& text) { assign(v, new_string(text, abi::UT_STRING_ERROR)); }

}  // namespace standin
