// Text helpers the checks need without the system's conversions: library texts are judged as bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace keyloom_check {

bool isValidUtf8(std::string_view text);

// UTF-16 to UTF-8, for paths in the report; an unpaired surrogate becomes U+FFFD.
std::string utf8FromWide(std::wstring_view text);

// FNV-1a, 64 bits: enough to tell whether a file's content changed between two looks.
uint64_t contentHash(std::string_view bytes);

}  // namespace keyloom_check
