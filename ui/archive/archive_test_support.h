#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace uiarchive::testing {

inline std::vector<std::uint8_t> bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

// Deterministic noise that LZF cannot shrink.
inline std::vector<std::uint8_t> random_bytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 generator(seed);
  std::vector<std::uint8_t> bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(generator());
  return bytes;
}

// Markup-like text with plenty of repeats, as the document files have.
inline std::vector<std::uint8_t> compressible_text(std::size_t size) {
  static constexpr std::string_view words[] = {
      "<div class=\"step\">", "</div>\n", "<p>", "</p>", "scan ", "files ", "decrypt ", "folder "};
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) text += words[(i * 7 + i / 3) % std::size(words)];
  text.resize(size);
  return bytes_of(text);
}

inline std::u16string u16(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

}  // namespace uiarchive::testing
