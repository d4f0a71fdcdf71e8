#include "lzf.h"

#include "archive_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace uiarchive {
namespace {

using testing::bytes_of;
using testing::compressible_text;
using testing::random_bytes;

std::vector<std::uint8_t> concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct RoundTripCase {
  const char* name;
  std::vector<std::uint8_t> input;
  bool shrinks;
};

TEST(Lzf, RoundTripsEveryInputExactly) {
  const auto block = random_bytes(300, 1);
  const auto far_block = random_bytes(64, 2);  // too short to pay for the literals around it
  const std::vector<RoundTripCase> cases{
      {"empty", {}, false},
      {"one byte", {0x41}, false},
      {"two bytes", {0x00, 0xFF}, false},
      {"exactly one literal run", random_bytes(32, 3), false},
      {"one past a literal run", random_bytes(33, 4), false},
      {"run of one byte", std::vector<std::uint8_t>(10000, 0x61), true},
      {"random", random_bytes(20000, 5), false},
      {"match longer than 264", concat(concat(block, block), block), true},
      {"repeat at the farthest distance", concat(concat(far_block, random_bytes(8192 - 64, 6)), far_block), false},
      {"markup text", compressible_text(50000), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto packed = lzf_compress(c.input);
    const auto unpacked = lzf_decompress(packed, c.input.size());
    ASSERT_TRUE(unpacked.has_value());
    EXPECT_EQ(*unpacked, c.input);
    EXPECT_EQ(packed.size() < c.input.size(), c.shrinks) << packed.size() << " from " << c.input.size();
    EXPECT_EQ(lzf_compress(c.input), packed) << "not deterministic";
  }
}

TEST(Lzf, LongRunsUseExtendedMatches) {
  // A run of 10000 bytes needs about 38 matches of 264 bytes, three bytes each, plus one literal.
  const auto packed = lzf_compress(std::vector<std::uint8_t>(10000, 0x61));
  EXPECT_LE(packed.size(), 2 + 3 * (10000 / 264 + 2));
}

TEST(Lzf, MatchesReachExactlyTheFarthestDistance) {
  const auto block = random_bytes(200, 8);
  const auto noise = random_bytes(8200, 9);
  auto with_gap = [&](std::size_t gap) {
    auto input =
        concat(block, std::vector<std::uint8_t>(noise.begin(), noise.begin() + static_cast<std::ptrdiff_t>(gap)));
    return concat(input, block);
  };
  // The repeat starts `distance` bytes after its first copy.
  const auto reachable = with_gap(lzf_max_distance - block.size());
  const auto out_of_reach = with_gap(lzf_max_distance + 1 - block.size());
  const auto packed_reachable = lzf_compress(reachable);
  const auto packed_out_of_reach = lzf_compress(out_of_reach);
  EXPECT_LT(packed_reachable.size() + 150, packed_out_of_reach.size());
  EXPECT_EQ(lzf_decompress(packed_reachable, reachable.size()), reachable);
  EXPECT_EQ(lzf_decompress(packed_out_of_reach, out_of_reach.size()), out_of_reach);
}

struct DecompressCase {
  const char* name;
  std::vector<std::uint8_t> stream;
  std::size_t expected;
  std::optional<std::string> result;  // nullopt: must be refused
};

TEST(Lzf, DecompressAcceptsOnlyExactStreams) {
  const std::vector<DecompressCase> cases{
      {"empty stream, nothing expected", {}, 0, ""},
      {"literal run", {0x02, 'a', 'b', 'c'}, 3, "abc"},
      {"overlapping match", {0x00, 'a', 0x20, 0x00}, 4, "aaaa"},
      {"extended match", {0x00, 'a', 0xE0, 0x01, 0x00}, 11, std::string(11, 'a')},
      {"distance over two bytes", {0x01, 'a', 'b', 0x20, 0x01}, 5, "ababa"},
      {"literal run past the input", {0x02, 'a', 'b'}, 3, std::nullopt},
      {"literal run past the output", {0x02, 'a', 'b', 'c'}, 2, std::nullopt},
      {"match before the start", {0x00, 'a', 0x20, 0x01}, 4, std::nullopt},
      {"match from an empty output", {0x20, 0x00}, 3, std::nullopt},
      {"match past the output", {0x00, 'a', 0x20, 0x00}, 3, std::nullopt},
      {"distance byte missing", {0x00, 'a', 0x20}, 4, std::nullopt},
      {"length byte missing", {0x00, 'a', 0xE0}, 10, std::nullopt},
      {"output too short", {0x00, 'a'}, 2, std::nullopt},
      {"output too long", {0x01, 'a', 'b'}, 1, std::nullopt},
      {"unreachable size", {0x00, 'a'}, SIZE_MAX, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto out = lzf_decompress(c.stream, c.expected);
    ASSERT_EQ(out.has_value(), c.result.has_value());
    if (out) {
      EXPECT_EQ(*out, bytes_of(*c.result));
    }
  }
}

}  // namespace
}  // namespace uiarchive
