#include "archive_reader.h"

#include "lzf.h"
#include "utf16.h"

#include <algorithm>
#include <string>
#include <utility>

namespace uiarchive {
namespace {

struct Node {
  char16_t ch;
  std::uint16_t lo;
  std::uint16_t eq;
  std::uint16_t hi;
};

std::uint16_t read_u16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t read_u32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 | std::uint32_t{bytes[at + 2]} << 16 |
         std::uint32_t{bytes[at + 3]} << 24;
}

constexpr std::size_t nodes_start = magic_size + count_size;

std::size_t records_start(std::uint32_t node_count) { return nodes_start + node_size * node_count + count_size; }

// Only valid on an opened view: open_archive has checked that every node lies inside the block.
Node node_at(const ArchiveView& archive, std::uint16_t index) {
  const std::size_t at = nodes_start + node_size * index;
  return {static_cast<char16_t>(read_u16(archive.block, at)), read_u16(archive.block, at + 2),
          read_u16(archive.block, at + 4), read_u16(archive.block, at + 6)};
}

bool link_ok(std::uint16_t link, std::uint32_t node_count) { return link == no_node || link < node_count; }

}  // namespace

std::optional<ArchiveView> open_archive(std::span<const std::uint8_t> block) {
  if (block.size() < nodes_start || !std::equal(archive_magic.begin(), archive_magic.end(), block.begin()))
    return std::nullopt;

  ArchiveView archive{block, read_u32(block, magic_size), 0};
  // Indices are 16-bit with 0xFFFF meaning none, so a larger tree cannot be addressed.
  if (archive.node_count > no_node) return std::nullopt;
  // 64-bit sums: the counts come from the block and must not wrap the bound checks.
  if (std::uint64_t{records_start(archive.node_count)} > block.size()) return std::nullopt;
  archive.item_count = read_u32(block, records_start(archive.node_count) - count_size);
  const std::uint64_t data_start = records_start(archive.node_count) + std::uint64_t{record_size} * archive.item_count;
  if (data_start > block.size()) return std::nullopt;

  for (std::uint32_t i = 0; i < archive.node_count; ++i) {
    const Node node = node_at(archive, static_cast<std::uint16_t>(i));
    if (!link_ok(node.lo, archive.node_count) || !link_ok(node.hi, archive.node_count)) return std::nullopt;
    const bool eq_ok =
        node.ch == 0 ? node.eq >= 1 && node.eq <= archive.item_count : link_ok(node.eq, archive.node_count);
    if (!eq_ok) return std::nullopt;
  }

  for (std::uint32_t i = 0; i < archive.item_count; ++i) {
    const std::size_t at = records_start(archive.node_count) + record_size * i;
    const std::uint64_t offset = read_u32(block, at);
    const std::uint64_t stored = read_u32(block, at + 4);
    if (offset < data_start || offset + stored > block.size()) return std::nullopt;
  }
  return archive;
}

std::optional<std::uint32_t> find_item(const ArchiveView& archive, std::u16string_view path) {
  // A 0 in the query would match an end node early and find a shorter path.
  if (archive.node_count == 0 || path.find(char16_t{0}) != std::u16string_view::npos) return std::nullopt;

  std::uint16_t index = 0;
  std::size_t pos = 0;
  // Walking a real tree never visits a node twice, so more steps than nodes means a cycle.
  for (std::uint32_t steps = 0; index != no_node && steps < archive.node_count; ++steps) {
    const Node node = node_at(archive, index);
    const char16_t c = pos < path.size() ? path[pos] : char16_t{0};
    if (c < node.ch) {
      index = node.lo;
    } else if (c > node.ch) {
      index = node.hi;
    } else if (c == 0) {
      return std::uint32_t{node.eq} - 1;
    } else {
      ++pos;
      index = node.eq;
    }
  }
  return std::nullopt;
}

std::optional<StoredItem> item_at(const ArchiveView& archive, std::uint32_t index) {
  if (index >= archive.item_count) return std::nullopt;
  const std::size_t at = records_start(archive.node_count) + record_size * index;
  const std::uint32_t offset = read_u32(archive.block, at);
  const std::uint32_t stored = read_u32(archive.block, at + 4);
  return StoredItem{archive.block.subspan(offset, stored), read_u32(archive.block, at + 8)};
}

std::optional<StoredItem> lookup(const ArchiveView& archive, std::u16string_view path) {
  const auto index = find_item(archive, path);
  if (!index) return std::nullopt;
  return item_at(archive, *index);
}

std::optional<std::vector<std::uint8_t>> item_content(const StoredItem& item) {
  if (item.unpacked_length == 0) return std::vector<std::uint8_t>(item.stored.begin(), item.stored.end());
  return lzf_decompress(item.stored, item.unpacked_length);
}

std::optional<std::vector<ArchiveFile>> list_archive(const ArchiveView& archive) {
  std::vector<std::optional<std::u16string>> paths(archive.item_count);
  std::vector<bool> visited(archive.node_count, false);

  // Each entry carries its own prefix, so siblings never disturb each other's path.
  std::vector<std::pair<std::uint16_t, std::u16string>> pending;
  if (archive.node_count > 0) pending.emplace_back(0, std::u16string{});
  while (!pending.empty()) {
    auto [index, prefix] = std::move(pending.back());
    pending.pop_back();
    if (visited[index]) return std::nullopt;  // shared or cyclic links: not a tree
    visited[index] = true;

    const Node node = node_at(archive, index);
    if (node.lo != no_node) pending.emplace_back(node.lo, prefix);
    if (node.hi != no_node) pending.emplace_back(node.hi, prefix);
    if (node.ch == 0) {
      auto& slot = paths[node.eq - 1u];
      if (slot) return std::nullopt;
      slot = std::move(prefix);
    } else if (node.eq != no_node) {
      prefix.push_back(node.ch);
      pending.emplace_back(node.eq, std::move(prefix));
    }
  }

  std::vector<ArchiveFile> files;
  files.reserve(archive.item_count);
  for (std::uint32_t i = 0; i < archive.item_count; ++i) {
    if (!paths[i]) return std::nullopt;
    auto path = utf8_from_utf16(*paths[i]);
    auto content = item_content(*item_at(archive, i));
    if (!path || !content) return std::nullopt;
    files.push_back({std::move(*path), std::move(*content)});
  }
  return files;
}

}  // namespace uiarchive
