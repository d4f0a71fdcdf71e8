// The program's text encodings and the conversions between them, in one place for the tool, the stand-ins
// and the tests: UTF-8, the ANSI code page and UTF-16 (wide strings and char16_t are UTF-16 here).
#pragma once

#include <string>
#include <string_view>

namespace text {

// Strict conversions: what cannot be decoded becomes U+FFFD (UTF-8) as the system converter does.
std::wstring wide_from_utf8(std::string_view utf8);
std::string utf8_from_wide(std::wstring_view wide);

// The calling thread's ANSI code page to UTF-16; stops at a zero byte like the system's C strings.
std::wstring wide_from_ansi(std::string_view ansi);
// UTF-16 to the process's ANSI code page without a default character. When lossy is given it tells
// whether some character had no form in the code page (the converter then put its own replacement). A
// UTF-8 ANSI code page is handled as narrowing.h says.
std::string ansi_from_wide(std::wstring_view wide, bool* lossy = nullptr);
// UTF-16 to the console's OEM code page.
std::string oem_from_wide(std::wstring_view wide);

// Lenient UTF-8 to UTF-16 for text that goes to the page. It never fails: a malformed byte becomes "?" so a
// log line or library message always reaches the user in some form. Decodes up to the first zero byte (or
// the end). An overlong sequence, an encoded surrogate and a value past U+10FFFF each give one "?", so that
// no byte sequence can come out as a character (such as "<") that it does not spell in UTF-8; a sequence
// whose following byte is not a continuation byte gives "?" and decoding goes on at that byte. A leading
// byte-order mark is dropped; a sequence cut short by the end gives one "?" and ends the text.
std::u16string decode_utf8_lenient(std::string_view bytes);

inline std::wstring_view as_wide(std::u16string_view units) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide strings are UTF-16 on this platform");
  return {reinterpret_cast<const wchar_t*>(units.data()), units.size()};
}
inline std::u16string_view as_utf16(std::wstring_view wide) {
  return {reinterpret_cast<const char16_t*>(wide.data()), wide.size()};
}

}  // namespace text
