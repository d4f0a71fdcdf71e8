// Owning wrapper of one engine value: made undefined, cleared on destruction, copied deeply by the engine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/sciter_abi.h"

namespace sciter {

class value {
 public:
  value();
  ~value();
  value(const value& other);
  value& operator=(const value& other);

  static value from_bool(bool b);
  static value from_int(int32_t i);
  // A string value with the given units (0xFFFF for text, 1 for an error text).
  static value from_wstring(std::wstring_view text, uint32_t units = abi::UT_STRING_SYMBOL);
  static value make_array();
  static value make_map();

  uint32_t type() const { return v_.t; }
  uint32_t units() const { return v_.u; }
  bool is_undefined() const { return v_.t == abi::T_UNDEFINED; }
  bool is_string() const { return v_.t == abi::T_STRING; }
  bool is_error_string() const { return v_.t == abi::T_STRING && v_.u == abi::UT_STRING_ERROR; }

  // Integer or boolean content; false when the value holds neither.
  bool get_int(int32_t& out) const;
  // Characters of a string value; empty for any other type.
  std::wstring get_chars() const;

  int32_t length() const;  // element count of an array or map; 0 when it cannot be read
  value get_item(int32_t index) const;
  void set_item(int32_t index, const value& element);
  value get_item(const value& key) const;
  void set_item(const value& key, const value& element);

  abi::VALUE* raw() { return &v_; }
  const abi::VALUE* raw() const { return &v_; }

 private:
  abi::VALUE v_;
};

}  // namespace sciter
