// Removing a folder tree that a tool or test made for itself.
#pragma once

#include <string>

namespace support {

// Removes the folder at a full path and everything in it, as far as it can; errors are ignored. Works in the
// long-path form, so trees deeper than the classic limit and names ending with a dot go too. Read-only
// files are removed; links, junctions and mount points are removed themselves, never what they lead to.
void remove_tree(const std::wstring& full_path);

}  // namespace support
