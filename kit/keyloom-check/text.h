// Text helpers the checks need without the system's conversions: library texts are judged as bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace keyloom_check {

bool isValidUtf8(std::string_view text);

// A library's text as the report shows it: as it is when valid UTF-8, else with every byte above 0x7f
// written as \xNN, so the report stays readable whatever the library handed over.
std::string shownText(std::string_view text);

// UTF-16 to UTF-8, for paths in the report; an unpaired surrogate becomes U+FFFD.
std::string utf8FromWide(std::wstring_view text);

}  // namespace keyloom_check
