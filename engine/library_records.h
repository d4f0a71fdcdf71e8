// The library's records looked at before the tool uses them. The option list of ToolInfo is a vector the
// library built with its own standard library: three pointers (first record, past the last, end of
// storage). A library built against another standard library, or one that leaves the record half filled,
// hands over pointers that would make the elevated tool read anywhere; they are checked first.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "engine/library_abi.h"

// More options than a settings step could show: a list this long is taken for a broken one.
inline constexpr size_t kMostOptions = 256;

// Why the option list cannot be used, or nothing when it can: its begin must not lie after its end, the
// two must span a whole number of aligned records, no more than kMostOptions, and the storage must not end
// before the list does. An empty list (all three null) is sound.
std::optional<std::string> optionListProblem(const ToolInfo& info);

// Makes the option list empty without reading or freeing what its pointers point to: the broken list is
// never used, and nothing ever frees it.
void forgetOptionList(ToolInfo& info);
