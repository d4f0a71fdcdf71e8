// Owning wrapper of one engine value: made undefined, cleared on destruction, copied deeply by the engine.
// Containers are made by the engine too: a value whose type field was set by hand has no storage behind it,
// and the engine documents nothing for one.
#pragma once

#include <cstdint>
#include <optional>
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
  static value make_array();  // empty
  static value make_map();    // empty

  uint32_t type() const { return v_.t; }
  uint32_t units() const { return v_.u; }
  bool is_undefined() const { return v_.t == abi::T_UNDEFINED; }
  bool is_string() const { return v_.t == abi::T_STRING; }
  bool is_error_string() const { return v_.t == abi::T_STRING && v_.u == abi::UT_STRING_ERROR; }
  // What a script hands back may be a reference to a script object rather than plain data.
  bool is_object() const { return v_.t == abi::T_OBJECT; }
  bool is_array_like() const { return v_.t == abi::T_ARRAY || (is_object() && v_.u == abi::UT_OBJECT_ARRAY); }
  bool is_map() const { return v_.t == abi::T_MAP; }

  // Turns script object values, here and in every element, into plain arrays and maps, which the value
  // operations can read on any thread. Plain data stays as it is. False when the engine refused.
  bool isolate();

  // Integer or boolean content; false when the value holds neither.
  bool get_int(int32_t& out) const;
  // Floating-point content (a number the script computed); false for any other type.
  bool get_float(double& out) const;
  // Characters of a string value; empty for any other type.
  std::wstring get_chars() const;

  // Element count of an array or map; none when the engine cannot count this value.
  std::optional<int32_t> length() const;
  // The element at the index, or under the key (undefined when the key is absent); none when the engine
  // refuses the read.
  std::optional<value> get_item(int32_t index) const;
  std::optional<value> get_item(const value& key) const;
  void set_item(int32_t index, const value& element);
  void set_item(const value& key, const value& element);

  abi::VALUE* raw() { return &v_; }
  const abi::VALUE* raw() const { return &v_; }

 private:
  abi::VALUE v_;
};

}  // namespace sciter
