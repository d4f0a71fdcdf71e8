#include "archive_writer.h"

#include "lzf.h"
#include "utf16.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>
#include <stdexcept>
#include <string>

namespace uiarchive {
namespace {

struct TreeNode {
  char16_t ch = 0;
  std::uint16_t lo = no_node;
  std::uint16_t eq = no_node;
  std::uint16_t hi = no_node;
};

struct PackedItem {
  std::vector<std::uint8_t> bytes;
  std::uint32_t unpacked_length = 0;  // 0 = stored as-is
};

std::uint16_t new_node(std::vector<TreeNode>& nodes, char16_t ch) {
  if (nodes.size() >= max_nodes) throw std::runtime_error("the name tree needs more than 65534 nodes");
  nodes.push_back(TreeNode{ch});
  return static_cast<std::uint16_t>(nodes.size() - 1);
}

// Inserts one path; new nodes are appended, so node order is creation order.
void insert_path(std::vector<TreeNode>& nodes, std::u16string_view path, std::uint16_t item_number,
                 const std::string& display_path) {
  // The terminating 0 becomes the end node that carries the item number.
  std::u16string chars(path);
  chars.push_back(0);

  if (nodes.empty()) new_node(nodes, chars[0]);
  std::uint16_t node = 0;
  std::size_t pos = 0;
  for (;;) {
    const char16_t c = chars[pos];
    if (c != nodes[node].ch) {
      const bool go_lo = c < nodes[node].ch;
      std::uint16_t next = go_lo ? nodes[node].lo : nodes[node].hi;
      if (next == no_node) {
        next = new_node(nodes, c);
        (go_lo ? nodes[node].lo : nodes[node].hi) = next;
      }
      node = next;
      continue;
    }
    if (c == 0) {
      if (nodes[node].eq != no_node) throw std::runtime_error("duplicate path: " + display_path);
      nodes[node].eq = item_number;
      return;
    }
    ++pos;
    if (nodes[node].eq == no_node) {
      const std::uint16_t next = new_node(nodes, chars[pos]);
      nodes[node].eq = next;
    }
    node = nodes[node].eq;
  }
}

std::u16string tree_path(const std::string& path) {
  if (path.empty()) throw std::runtime_error("empty path");
  auto units = utf16_from_utf8(path);
  if (!units) throw std::runtime_error("path is not valid UTF-8: " + path);
  // A 0 code unit would end the path early inside the tree.
  if (units->find(char16_t{0}) != std::u16string::npos)
    throw std::runtime_error("path contains a zero character: " + path);
  return *units;
}

PackedItem store_item(const ArchiveFile& file) {
  if (file.bytes.size() > std::numeric_limits<std::uint32_t>::max())
    throw std::runtime_error("file larger than 4 GiB: " + file.path);
  if (!file.bytes.empty() && !is_precompressed(file.path)) {
    auto packed = lzf_compress(file.bytes);
    if (packed.size() < file.bytes.size()) return {std::move(packed), static_cast<std::uint32_t>(file.bytes.size())};
  }
  return {file.bytes, 0};
}

void put_u16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

}  // namespace

bool is_precompressed(std::string_view path) {
  static constexpr std::array<std::string_view, 20> extensions{
      ".png", ".jpg", ".jpeg", ".gif", ".webp", ".avif", ".ico",  ".gz",   ".tgz",   ".zip",
      ".7z",  ".bz2", ".xz",   ".zst", ".docx", ".xlsx", ".pptx", ".woff", ".woff2", ".mp3"};
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return false;
  std::string ext(path.substr(dot));
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return std::find(extensions.begin(), extensions.end(), ext) != extensions.end();
}

std::vector<std::uint8_t> pack_archive(const std::vector<ArchiveFile>& files) {
  if (files.size() > max_items) throw std::runtime_error("more than 65534 files");

  std::vector<const ArchiveFile*> order;
  order.reserve(files.size());
  for (const auto& file : files) order.push_back(&file);
  std::sort(order.begin(), order.end(), [](const ArchiveFile* a, const ArchiveFile* b) { return a->path < b->path; });

  std::vector<TreeNode> nodes;
  for (std::size_t i = 0; i < order.size(); ++i)
    insert_path(nodes, tree_path(order[i]->path), static_cast<std::uint16_t>(i + 1), order[i]->path);

  std::vector<PackedItem> items;
  items.reserve(order.size());
  for (const ArchiveFile* file : order) items.push_back(store_item(*file));

  const std::uint64_t data_start =
      magic_size + count_size + node_size * nodes.size() + count_size + record_size * items.size();
  std::uint64_t total = data_start;
  for (const auto& item : items) total += item.bytes.size();
  if (total > std::numeric_limits<std::uint32_t>::max()) throw std::runtime_error("archive larger than 4 GiB");

  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(total));
  out.insert(out.end(), archive_magic.begin(), archive_magic.end());
  put_u32(out, static_cast<std::uint32_t>(nodes.size()));
  for (const auto& node : nodes) {
    put_u16(out, node.ch);
    put_u16(out, node.lo);
    put_u16(out, node.eq);
    put_u16(out, node.hi);
  }
  put_u32(out, static_cast<std::uint32_t>(items.size()));
  std::uint64_t offset = data_start;
  for (const auto& item : items) {
    put_u32(out, static_cast<std::uint32_t>(offset));
    put_u32(out, static_cast<std::uint32_t>(item.bytes.size()));
    put_u32(out, item.unpacked_length);
    offset += item.bytes.size();
  }
  for (const auto& item : items) out.insert(out.end(), item.bytes.begin(), item.bytes.end());
  return out;
}

}  // namespace uiarchive
