// Lenient UTF-8 to UTF-16 decoding for text that goes to the page. It never fails: a malformed byte becomes
// "?" so a log line or library message always reaches the user in some form.
#pragma once

#include <string>
#include <string_view>

// Decodes up to the first zero byte (or the end). Following bytes of a sequence are not checked for the
// continuation pattern; only their low six bits are used. A leading byte-order mark is dropped; a
// sequence cut short by the end gives one "?" and ends the text.
std::u16string decode_utf8_lenient(std::string_view bytes);
