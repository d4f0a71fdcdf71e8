#include "lzf.h"

#include <algorithm>
#include <array>

namespace uiarchive {
namespace {

constexpr std::size_t max_literal_run = 32;
constexpr std::size_t min_match = 3;
constexpr unsigned hash_bits = 14;

// Worst case output per input byte: a three-byte long match that yields lzf_max_match bytes.
constexpr std::size_t max_expansion = (lzf_max_match + 2) / 3;

std::size_t hash3(const std::uint8_t* p) {
  const std::uint32_t v = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
  return (v * 2654435761u) >> (32 - hash_bits);
}

void emit_literals(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> literals) {
  while (!literals.empty()) {
    const std::size_t run = std::min(literals.size(), max_literal_run);
    out.push_back(static_cast<std::uint8_t>(run - 1));
    out.insert(out.end(), literals.begin(), literals.begin() + static_cast<std::ptrdiff_t>(run));
    literals = literals.subspan(run);
  }
}

void emit_match(std::vector<std::uint8_t>& out, std::size_t length, std::size_t distance) {
  const std::size_t len_code = length - 2;
  const std::size_t dist_code = distance - 1;
  const auto dist_high = static_cast<std::uint8_t>(dist_code >> 8);
  if (len_code < 7) {
    out.push_back(static_cast<std::uint8_t>((len_code << 5) | dist_high));
  } else {
    out.push_back(static_cast<std::uint8_t>((7u << 5) | dist_high));
    out.push_back(static_cast<std::uint8_t>(len_code - 7));
  }
  out.push_back(static_cast<std::uint8_t>(dist_code & 0xFF));
}

}  // namespace

std::vector<std::uint8_t> lzf_compress(std::span<const std::uint8_t> in) {
  std::vector<std::uint8_t> out;
  out.reserve(in.size() + in.size() / max_literal_run + 1);

  // Last position seen for each hash of three bytes; SIZE_MAX = none yet.
  std::vector<std::size_t> last_seen(std::size_t{1} << hash_bits, SIZE_MAX);
  const std::size_t n = in.size();
  std::size_t literal_start = 0;
  std::size_t pos = 0;

  while (pos + min_match <= n) {
    const std::size_t h = hash3(&in[pos]);
    const std::size_t candidate = last_seen[h];
    last_seen[h] = pos;

    const bool usable = candidate != SIZE_MAX && pos - candidate <= lzf_max_distance &&
                        std::equal(&in[pos], &in[pos] + min_match, &in[candidate]);
    if (!usable) {
      ++pos;
      continue;
    }

    const std::size_t limit = std::min(lzf_max_match, n - pos);
    std::size_t length = min_match;
    while (length < limit && in[candidate + length] == in[pos + length]) ++length;

    emit_literals(out, in.subspan(literal_start, pos - literal_start));
    emit_match(out, length, pos - candidate);

    // Remember the positions inside the match too, so later repeats of them are found.
    for (std::size_t inside = pos + 1; inside < pos + length && inside + min_match <= n; ++inside)
      last_seen[hash3(&in[inside])] = inside;

    pos += length;
    literal_start = pos;
  }
  emit_literals(out, in.subspan(literal_start));
  return out;
}

std::optional<std::vector<std::uint8_t>> lzf_decompress(std::span<const std::uint8_t> in, std::size_t expected) {
  // A size no stream of this length could reach is refused before anything is allocated for it.
  if (expected / max_expansion > in.size()) return std::nullopt;

  std::vector<std::uint8_t> out;
  out.reserve(expected);
  std::size_t ip = 0;

  while (ip < in.size()) {
    const std::uint8_t control = in[ip++];

    if (control < 32) {
      const std::size_t run = std::size_t{control} + 1;
      if (run > in.size() - ip || run > expected - out.size()) return std::nullopt;
      out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(ip),
                 in.begin() + static_cast<std::ptrdiff_t>(ip + run));
      ip += run;
      continue;
    }

    std::size_t length = control >> 5;
    if (length == 7) {
      if (ip >= in.size()) return std::nullopt;
      length += in[ip++];
    }
    length += 2;
    if (ip >= in.size()) return std::nullopt;
    const std::size_t distance = ((std::size_t{control} & 0x1F) << 8 | in[ip++]) + 1;
    if (distance > out.size() || length > expected - out.size()) return std::nullopt;

    // Byte by byte: a match may overlap the bytes it is producing.
    std::size_t from = out.size() - distance;
    for (std::size_t i = 0; i < length; ++i) out.push_back(out[from++]);
  }

  if (out.size() != expected) return std::nullopt;
  return out;
}

}  // namespace uiarchive
