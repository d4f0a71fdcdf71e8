#pragma once

#include "archive_format.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace uiarchive {

// True for file kinds that are compressed already, which LZF would only make larger (checked by extension,
// ignoring letter case).
bool is_precompressed(std::string_view path);

// Builds the packed block from the files, sorted by path (byte order) so that equal input always gives equal
// bytes. Items are LZF-compressed unless precompressed or LZF would not make them smaller.
// Throws std::runtime_error on an empty, malformed or duplicate path, more than max_nodes nodes or max_items
// items, or a block that would not fit 32-bit offsets.
std::vector<std::uint8_t> pack_archive(const std::vector<ArchiveFile>& files);

}  // namespace uiarchive
