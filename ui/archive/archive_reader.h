#pragma once

#include "archive_format.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace uiarchive {

// A validated view over a packed block; it does not own the bytes, which must outlive it.
struct ArchiveView {
  std::span<const std::uint8_t> block;
  std::uint32_t node_count = 0;
  std::uint32_t item_count = 0;
};

// One item as it lies in the block.
struct StoredItem {
  std::span<const std::uint8_t> stored;
  std::uint32_t unpacked_length = 0;  // 0 = stored as-is
};

// Checks the magic, both counts, every node link and every item record against the block's bounds.
// Refuses (nullopt) anything that a later lookup could follow out of the block.
std::optional<ArchiveView> open_archive(std::span<const std::uint8_t> block);

// Index (from 0, in record order) of the item whose path equals `path` exactly, code unit by code unit.
std::optional<std::uint32_t> find_item(const ArchiveView& archive, std::u16string_view path);

// The item at `index` (from 0); nullopt past the end.
std::optional<StoredItem> item_at(const ArchiveView& archive, std::uint32_t index);

// find_item followed by item_at.
std::optional<StoredItem> lookup(const ArchiveView& archive, std::u16string_view path);

// The item's content: its bytes as stored, or unpacked to exactly its unpacked length.
// nullopt when the compressed stream is damaged.
std::optional<std::vector<std::uint8_t>> item_content(const StoredItem& item);

// Every item with its path and content, in record order. nullopt unless the name tree names each item
// exactly once, every path is valid UTF-16 and every item unpacks.
std::optional<std::vector<ArchiveFile>> list_archive(const ArchiveView& archive);

}  // namespace uiarchive
