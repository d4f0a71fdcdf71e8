#include "host/text_conversions.h"

#include "host/engine_binding.h"
#include "host/utf8_decode.h"

namespace sciter {

value value_from_utf8(std::string_view utf8) {
  const std::u16string units = decode_utf8_lenient(utf8);
  return value::from_wstring(std::wstring_view(reinterpret_cast<const wchar_t*>(units.data()), units.size()));
}

std::wstring wide_from_ansi(const char* text) {
  if (!text || !*text) return {};
  const int n = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, out.data(), n);
  out.resize(static_cast<size_t>(n) - 1);
  return out;
}

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

std::string ansi_from_wide(std::wstring_view text) {
  if (text.empty()) return {};
  const int len = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), len, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace sciter
