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

// The engine makes a container when asked for one of that type with a length (an array) or none (a map).
value value::make_array() {
  value v;
  api().ValueIntDataSet(&v.v_, 0, abi::T_ARRAY, 0);
  return v;
}

value value::make_map() {
  value v;
  api().ValueIntDataSet(&v.v_, 0, abi::T_MAP, 0);
  return v;
}

bool value::isolate() { return api().ValueIsolate(&v_) == abi::HV_OK; }

bool value::get_int(int32_t& out) const {
  if (v_.t != abi::T_INT && v_.t != abi::T_BOOL) return false;
  abi::INT i = 0;
  if (api().ValueIntData(&v_, &i) != abi::HV_OK) return false;
  out = i;
  return true;
}

bool value::get_float(double& out) const {
  if (v_.t != abi::T_FLOAT) return false;
  double d = 0;
  if (api().ValueFloatData(&v_, &d) != abi::HV_OK) return false;
  out = d;
  return true;
}

std::wstring value::get_chars() const {
  const wchar_t* chars = nullptr;
  abi::UINT count = 0;
  if (v_.t != abi::T_STRING || api().ValueStringData(&v_, &chars, &count) != abi::HV_OK || !chars) return {};
  return std::wstring(chars, count);
}

std::optional<int32_t> value::length() const {
  abi::INT n = 0;
  if (api().ValueElementsCount(&v_, &n) != abi::HV_OK) return std::nullopt;
  return n;
}

std::optional<value> value::get_item(int32_t index) const {
  value out;
  if (api().ValueNthElementValue(&v_, index, &out.v_) != abi::HV_OK) return std::nullopt;
  return out;
}

void value::set_item(int32_t index, const value& element) { api().ValueNthElementValueSet(&v_, index, &element.v_); }

std::optional<value> value::get_item(const value& key) const {
  value out;
  if (api().ValueGetValueOfKey(&v_, &key.v_, &out.v_) != abi::HV_OK) return std::nullopt;
  return out;
}

void value::set_item(const value& key, const value& element) { api().ValueSetValueToKey(&v_, &key.v_, &element.v_); }

}  // namespace sciter
