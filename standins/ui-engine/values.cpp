#include "standins/ui-engine/values.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace standin {
namespace abi = sciter::abi;

namespace {

struct StringData {
  std::wstring chars;
};
struct ArrayData {
  std::vector<VALUE> items;
};
struct MapData {
  std::vector<std::pair<VALUE, VALUE>> entries;  // insertion order, like a script object
};

StringData* as_string(const VALUE* v) { return reinterpret_cast<StringData*>(static_cast<uintptr_t>(v->d)); }
ArrayData* as_array(const VALUE* v) { return reinterpret_cast<ArrayData*>(static_cast<uintptr_t>(v->d)); }
MapData* as_map(const VALUE* v) { return reinterpret_cast<MapData*>(static_cast<uintptr_t>(v->d)); }
uint64_t as_data(const void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

// Containers are created lazily: a value of array or map type may still have no storage.
ArrayData& array_storage(VALUE* v) {
  if (!v->d) v->d = as_data(new ArrayData());
  return *as_array(v);
}
MapData& map_storage(VALUE* v) {
  if (!v->d) v->d = as_data(new MapData());
  return *as_map(v);
}

bool same_key(const VALUE* a, const VALUE* b) {
  if (a->t != b->t) return false;
  if (a->t == abi::T_STRING) return as_string(a)->chars == as_string(b)->chars;
  return a->d == b->d;
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

}  // namespace

void value_init(VALUE* v) { *v = VALUE{abi::T_UNDEFINED, 0, 0}; }

void value_clear(VALUE* v) {
  if (!v) return;
  switch (v->t) {
    case abi::T_STRING:
      delete as_string(v);
      break;
    case abi::T_ARRAY:
      if (auto* a = as_array(v)) {
        for (VALUE& item : a->items) value_clear(&item);
        delete a;
      }
      break;
    case abi::T_MAP:
      if (auto* m = as_map(v)) {
        for (auto& [key, item] : m->entries) {
          value_clear(&key);
          value_clear(&item);
        }
        delete m;
      }
      break;
    default:
      break;
  }
  value_init(v);
}

void value_copy(VALUE* dst, const VALUE* src) {
  if (dst == src) return;
  VALUE copy{src->t, src->u, 0};
  switch (src->t) {
    case abi::T_STRING:
      copy.d = as_data(new StringData{as_string(src)->chars});
      break;
    case abi::T_ARRAY:
      if (auto* a = as_array(src)) {
        auto* out = new ArrayData();
        for (const VALUE& item : a->items) {
          VALUE c;
          value_init(&c);
          value_copy(&c, &item);
          out->items.push_back(c);
        }
        copy.d = as_data(out);
      }
      break;
    case abi::T_MAP:
      if (auto* m = as_map(src)) {
        auto* out = new MapData();
        for (const auto& [key, item] : m->entries) {
          VALUE k, c;
          value_init(&k);
          value_init(&c);
          value_copy(&k, &key);
          value_copy(&c, &item);
          out->entries.emplace_back(k, c);
        }
        copy.d = as_data(out);
      }
      break;
    default:
      copy.d = src->d;
  }
  value_clear(dst);
  *dst = copy;
}

UINT value_string_data(const VALUE* v, const wchar_t** chars, UINT* count) {
  if (v->t != abi::T_STRING) return abi::HV_INCOMPATIBLE_TYPE;
  const std::wstring& s = as_string(v)->chars;
  if (chars) *chars = s.c_str();
  if (count) *count = static_cast<UINT>(s.size());
  return abi::HV_OK;
}

UINT value_string_data_set(VALUE* v, const wchar_t* chars, UINT count, UINT units) {
  value_clear(v);
  v->t = abi::T_STRING;
  v->u = units;
  v->d = as_data(new StringData{chars ? std::wstring(chars, count) : std::wstring()});
  return abi::HV_OK;
}

UINT value_int_data(const VALUE* v, int32_t* out) {
  if (v->t != abi::T_INT && v->t != abi::T_BOOL) return abi::HV_INCOMPATIBLE_TYPE;
  if (out) *out = static_cast<int32_t>(v->d);
  return abi::HV_OK;
}

UINT value_int_data_set(VALUE* v, int32_t data, UINT type, UINT units) {
  if (type != abi::T_INT && type != abi::T_BOOL) return abi::HV_BAD_PARAMETER;
  value_clear(v);
  v->t = type;
  v->u = units;
  v->d = static_cast<uint32_t>(type == abi::T_BOOL ? (data != 0) : data);
  return abi::HV_OK;
}

UINT value_elements_count(const VALUE* v, int32_t* count) {
  int32_t n = 0;
  if (v->t == abi::T_ARRAY)
    n = as_array(v) ? static_cast<int32_t>(as_array(v)->items.size()) : 0;
  else if (v->t == abi::T_MAP)
    n = as_map(v) ? static_cast<int32_t>(as_map(v)->entries.size()) : 0;
  else
    return abi::HV_INCOMPATIBLE_TYPE;
  if (count) *count = n;
  return abi::HV_OK;
}

UINT value_nth_element(const VALUE* v, int32_t n, VALUE* out) {
  if (n < 0) return abi::HV_BAD_PARAMETER;
  if (v->t == abi::T_ARRAY && as_array(v) && static_cast<size_t>(n) < as_array(v)->items.size()) {
    value_copy(out, &as_array(v)->items[n]);
    return abi::HV_OK;
  }
  if (v->t == abi::T_MAP && as_map(v) && static_cast<size_t>(n) < as_map(v)->entries.size()) {
    value_copy(out, &as_map(v)->entries[n].second);
    return abi::HV_OK;
  }
  return abi::HV_BAD_PARAMETER;
}

UINT value_nth_element_set(VALUE* v, int32_t n, const VALUE* element) {
  if (n < 0) return abi::HV_BAD_PARAMETER;
  if (v->t != abi::T_ARRAY) {
    value_clear(v);
    v->t = abi::T_ARRAY;
  }
  ArrayData& a = array_storage(v);
  while (a.items.size() <= static_cast<size_t>(n)) {
    VALUE empty;
    value_init(&empty);
    a.items.push_back(empty);
  }
  value_copy(&a.items[n], element);
  return abi::HV_OK;
}

UINT value_set_value_to_key(VALUE* v, const VALUE* key, const VALUE* element) {
  if (v->t != abi::T_MAP) {
    value_clear(v);
    v->t = abi::T_MAP;
  }
  MapData& m = map_storage(v);
  for (auto& [k, item] : m.entries) {
    if (same_key(&k, key)) {
      value_copy(&item, element);
      return abi::HV_OK;
    }
  }
  VALUE k, c;
  value_init(&k);
  value_init(&c);
  value_copy(&k, key);
  value_copy(&c, element);
  m.entries.emplace_back(k, c);
  return abi::HV_OK;
}

UINT value_get_value_of_key(const VALUE* v, const VALUE* key, VALUE* out) {
  if (v->t != abi::T_MAP) return abi::HV_INCOMPATIBLE_TYPE;
  if (auto* m = as_map(v)) {
    for (const auto& [k, item] : m->entries) {
      if (same_key(&k, key)) {
        value_copy(out, &item);
        return abi::HV_OK;
      }
    }
  }
  value_clear(out);  // an absent key reads as undefined
  return abi::HV_OK;
}

UINT value_to_string(VALUE* v, UINT how) {
  if (how != 0) return abi::HV_BAD_PARAMETER;
  if (v->t == abi::T_STRING) return abi::HV_OK;
  const std::wstring text = text_of(v);
  value_string_data_set(v, text.data(), static_cast<UINT>(text.size()), abi::UT_STRING_STRING);
  return abi::HV_OK;
}

json value_to_json(const VALUE* v) {
  switch (v->t) {
    case abi::T_UNDEFINED:
    case abi::T_NULL:
      return nullptr;
    case abi::T_BOOL:
      return v->d != 0;
    case abi::T_INT:
      return static_cast<int32_t>(v->d);
    case abi::T_STRING: {
      std::string text = utf8_from_wide(as_string(v)->chars);
      if (v->u == abi::UT_STRING_ERROR) return json{{"error", text}};
      return text;
    }
    case abi::T_ARRAY: {
      auto out = json::array();
      if (auto* a = as_array(v))
        for (const VALUE& item : a->items) out.push_back(value_to_json(&item));
      return out;
    }
    case abi::T_MAP: {
      auto out = json::object();
      if (auto* m = as_map(v))
        for (const auto& [k, item] : m->entries) out[utf8_from_wide(text_of(&k))] = value_to_json(&item);
      return out;
    }
    default:
      return "<unsupported type " + std::to_string(v->t) + ">";
  }
}

void value_from_json(VALUE* v, const json& j) {
  value_clear(v);
  if (j.is_boolean()) {
    value_int_data_set(v, j.get<bool>() ? 1 : 0, abi::T_BOOL, 0);
  } else if (j.is_number_integer()) {
    value_int_data_set(v, j.get<int32_t>(), abi::T_INT, 0);
  } else if (j.is_string()) {
    const std::wstring w = wide_from_utf8(j.get<std::string>());
    value_string_data_set(v, w.data(), static_cast<UINT>(w.size()), abi::UT_STRING_SYMBOL);
  } else if (j.is_array()) {
    v->t = abi::T_ARRAY;
    int32_t i = 0;
    for (const auto& item : j) {
      VALUE c;
      value_init(&c);
      value_from_json(&c, item);
      value_nth_element_set(v, i++, &c);
      value_clear(&c);
    }
  } else if (j.is_object()) {
    v->t = abi::T_MAP;
    for (const auto& [key, item] : j.items()) {
      VALUE k, c;
      value_init(&k);
      value_init(&c);
      value_from_json(&k, key);
      value_from_json(&c, item);
      value_set_value_to_key(v, &k, &c);
      value_clear(&k);
      value_clear(&c);
    }
  }
}

void value_set_error(VALUE* v, const std::wstring& text) {
  value_string_data_set(v, text.data(), static_cast<UINT>(text.size()), abi::UT_STRING_ERROR);
}

}  // namespace standin
