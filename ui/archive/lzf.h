#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace uiarchive {

// Longest back-reference one LZF match can express (7 + 255 + 2).
inline constexpr std::size_t lzf_max_match = 264;
// Farthest back a match can reach (13 bits of distance - 1).
inline constexpr std::size_t lzf_max_distance = 8192;

// Compresses into the LZF stream format. Deterministic: equal input gives equal output.
std::vector<std::uint8_t> lzf_compress(std::span<const std::uint8_t> in);

// Unpacks an LZF stream that must produce exactly `expected` bytes. Refuses (nullopt) any stream that
// reads past its input, writes past `expected`, refers before the start of the output, or ends short.
std::optional<std::vector<std::uint8_t>> lzf_decompress(std::span<const std::uint8_t> in, std::size_t expected);

}  // namespace uiarchive
