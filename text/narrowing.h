// UTF-16 to an 8-bit code page through the system's converter (WideCharToMultiByte), which is handed in:
// the rule for calling it differs by code page, and tests check it against the converter's Windows answers
// for code pages the machine running them does not use.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace text {

inline constexpr unsigned kCodePageUtf7 = 65000;
inline constexpr unsigned kCodePageUtf8 = 65001;

// The converter: writes the text into out (out_size bytes), or with out_size 0 only says how many bytes it
// needs; reports in used_default, when given, whether some character had no form and became the code page's
// default character. Returns the bytes written or needed, 0 when it refuses.
using Narrower =
    std::function<int(unsigned code_page, std::wstring_view wide, char* out, int out_size, bool* used_default)>;

// The text in the code page; empty when the converter refuses. When lossy is given it tells whether some
// character was lost (replaced). Windows refuses the used-default question for UTF-7 and UTF-8, where the
// ANSI code page is UTF-8 ("Use Unicode UTF-8 for worldwide language support"), so it is not asked there:
// those code pages express every character, and only an unpaired surrogate is lost.
std::string narrow_in(unsigned code_page, std::wstring_view wide, bool* lossy, const Narrower& convert);

}  // namespace text
