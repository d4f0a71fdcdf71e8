// Conversions between the program's text types (UTF-8, the ANSI code page, UTF-16) and engine values.
#pragma once

#include <string>
#include <string_view>

#include "host/value.h"

namespace sciter {

value value_from_utf8(std::string_view utf8);        // lenient decoding, see decode_utf8_lenient
value value_from_ansi(const char* text);             // thread ANSI code page; null gives an empty string
value make_error_value(const char* text);            // error string (units 1); null leaves it undefined
std::wstring value_to_wstring(const value& v);       // a non-string gives an empty string
std::wstring value_to_text(const value& v);          // any value in its string form
std::string ansi_from_wide(std::wstring_view text);  // process ANSI code page, no default character
std::wstring wide_from_ansi(const char* text);       // thread ANSI code page; null gives an empty string

}  // namespace sciter
