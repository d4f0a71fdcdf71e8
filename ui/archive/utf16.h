#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace uiarchive {

// Archive paths are UTF-8 on the packing side and UTF-16 code units inside the name tree.
// Both conversions refuse malformed input (overlong forms, surrogates in UTF-8, lone surrogates
// in UTF-16, code points past U+10FFFF) rather than guessing.
std::optional<std::u16string> utf16_from_utf8(std::string_view text);
std::optional<std::string> utf8_from_utf16(std::u16string_view text);

}  // namespace uiarchive
