#include "host/text_conversions.h"

#include "host/engine_binding.h"
#include "text/encodings.h"

namespace sciter {

value value_from_utf8(std::string_view utf8) {
  return value::from_wstring(text::as_wide(text::decode_utf8_lenient(utf8)));
}

std::wstring wide_from_ansi(const char* ansi) { return ansi ? text::wide_from_ansi(ansi) : std::wstring(); }

value value_from_ansi(const char* text) { return value::from_wstring(wide_from_ansi(text)); }

value make_error_value(const char* text) {
  if (!text) return value();
  return value::from_wstring(wide_from_ansi(text), abi::UT_STRING_ERROR);
}

std::wstring value_to_wstring(const value& v) { return v.get_chars(); }

std::wstring value_to_text(const value& v) {
  if (v.is_string()) return v.get_chars();
  value copy(v);
  if (api().ValueToString(copy.raw(), 0) != abi::HV_OK) return {};
  return copy.get_chars();
}

std::string ansi_from_wide(std::wstring_view wide) { return text::ansi_from_wide(wide); }

}  // namespace sciter
