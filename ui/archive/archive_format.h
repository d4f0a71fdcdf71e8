#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace uiarchive {

// Fixed facts of the packed block shared by the writer and the reader. All integers are little-endian.
inline constexpr std::array<std::uint8_t, 4> archive_magic{'S', 'A', 'r', 0};
inline constexpr std::uint16_t no_node = 0xFFFF;
// Node indices and item numbers are 16-bit and 0xFFFF is reserved for "no node".
inline constexpr std::uint32_t max_nodes = 0xFFFE;
inline constexpr std::uint32_t max_items = 0xFFFE;

inline constexpr std::size_t magic_size = 4;
inline constexpr std::size_t count_size = 4;
inline constexpr std::size_t node_size = 8;     // char, lo, eq, hi: four u16
inline constexpr std::size_t record_size = 12;  // offset, stored length, unpacked length: three u32

// One file of the packed document: its path relative to the UI root ("/" separators, UTF-8) and its bytes.
struct ArchiveFile {
  std::string path;
  std::vector<std::uint8_t> bytes;

  friend bool operator==(const ArchiveFile&, const ArchiveFile&) = default;
};

}  // namespace uiarchive
