#include "host/value.h"

#include "host/engine_binding.h"

namespace sciter {

value::value() { api().ValueInit(&v_); }
value::~value() { api().ValueClear(&v_); }
value::value(const value& other) {
  api().ValueInit(&v_);
  api().ValueCopy(&v_, &other.v_);
}
value& value::operator=(const value& other) {
  if (this != &other) api().ValueCopy(&v_, &other.v_);
  return *this;
}

value value::from_bool(bool b) {
  value v;
  api().ValueIntDataSet(&v.v_, b ? 1 : 0, abi::T_BOOL, 0);
  return v;
}

value value::from_int(int32_t i) {
  value v;
  api().ValueIntDataSet(&v.v_, i, abi::T_INT, 0);
  return v;
}

value value::from_wstring(std::wstring_view text, uint32_t units) {
  value v;
  api().ValueStringDataSet(&v.v_, text.data(), static_cast<abi::UINT>(text.size()), units);
  return v;
}

// An empty container is a value of that type with no storage yet; the engine allocates on the first
// element or key that is set.
value value::make_array() {
  value v;
  v.v_.t = abi::T_ARRAY;
  return v;
}

value value::make_map() {
  value v;
  v.v_.t = abi::T_MAP;
  return v;
}

bool value::get_int(int32_t& out) const {
  if (v_.t != abi::T_INT && v_.t != abi::T_BOOL) return false;
  abi::INT i = 0;
  if (api().ValueIntData(&v_, &i) != abi::HV_OK) return false;
  out = i;
  return true;
}

std::wstring value::get_chars() const {
  const wchar_t* chars = nullptr;
  abi::UINT count = 0;
  if (v_.t != abi::T_STRING || api().ValueStringData(&v_, &chars, &count) != abi::HV_OK || !chars) return {};
  return std::wstring(chars, count);
}

int32_t value::length() const {
  abi::INT n = 0;
  if (api().ValueElementsCount(&v_, &n) != abi::HV_OK) return 0;
  return n;
}

value value::get_item(int32_t index) const {
  value out;
  api().ValueNthElementValue(&v_, index, &out.v_);
  return out;
}

void value::set_item(int32_t index, const value& element) { api().ValueNthElementValueSet(&v_, index, &element.v_); }

value value::get_item(const value& key) const {
  value out;
  api().ValueGetValueOfKey(&v_, &key.v_, &out.v_);
  return out;
}

void value::set_item(const value& key, const value& element) { api().ValueSetValueToKey(&v_, &key.v_, &element.v_); }

}  // namespace sciter
