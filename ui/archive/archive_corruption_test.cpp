#include "archive_reader.h"
#include "archive_writer.h"

#include "archive_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace uiarchive {
namespace {

using testing::compressible_text;
using testing::random_bytes;
using testing::u16;

using Block = std::vector<std::uint8_t>;

void put_u16(Block& b, std::size_t at, std::uint16_t v) {
  b.at(at) = static_cast<std::uint8_t>(v);
  b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

void put_u32(Block& b, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t get_u32(const Block& b, std::size_t at) {
  return std::uint32_t{b.at(at)} | std::uint32_t{b.at(at + 1)} << 8 | std::uint32_t{b.at(at + 2)} << 16 |
         std::uint32_t{b.at(at + 3)} << 24;
}

// A small valid archive: item 0 "a.txt" compressed, item 1 "b.bin" stored, item 2 "c/d.txt" compressed
// and last, so every byte of the block belongs to something.
struct Sample {
  Block block = pack_archive(
      {{"a.txt", compressible_text(600)}, {"b.bin", random_bytes(40, 7)}, {"c/d.txt", compressible_text(300)}});
  std::uint32_t nodes = get_u32(block, 4);
  std::uint32_t items = get_u32(block, 8 + 8 * std::size_t{nodes});

  std::size_t node(std::size_t i) const { return 8 + 8 * i; }
  std::size_t record(std::size_t i) const { return 12 + 8 * std::size_t{nodes} + 12 * i; }
  std::size_t end_node_of(std::uint16_t item_number) const {
    for (std::size_t i = 0; i < nodes; ++i)
      if (block[node(i)] == 0 && block[node(i) + 1] == 0 && block[node(i) + 4] == item_number) return i;
    throw std::logic_error("no end node");
  }
};

enum class Outcome { refused_on_open, content_refused, tree_refused };

struct CorruptionCase {
  const char* name;
  std::function<void(const Sample&, Block&)> damage;
  Outcome outcome;
};

TEST(ArchiveCorruption, DamagedBlocksAreRefused) {
  const Sample s;
  ASSERT_EQ(s.items, 3u);
  ASSERT_NE(get_u32(s.block, s.record(0) + 8), 0u);
  ASSERT_EQ(get_u32(s.block, s.record(1) + 8), 0u);

  const std::vector<CorruptionCase> cases{
      {"bad magic", [](auto&, Block& b) { b[2] = 'R'; }, Outcome::refused_on_open},
      {"no zero after the magic", [](auto&, Block& b) { b[3] = 1; }, Outcome::refused_on_open},
      {"node count past the end", [](auto&, Block& b) { put_u32(b, 4, static_cast<std::uint32_t>(b.size() / 8)); },
       Outcome::refused_on_open},
      {"node count beyond 16 bits", [](auto&, Block& b) { put_u32(b, 4, 0x10000); }, Outcome::refused_on_open},
      {"node count wraps", [](auto&, Block& b) { put_u32(b, 4, 0xFFFFFFFF); }, Outcome::refused_on_open},
      {"item count past the end",
       [](auto& s, Block& b) { put_u32(b, s.record(0) - 4, static_cast<std::uint32_t>(b.size() / 12)); },
       Outcome::refused_on_open},
      {"item count wraps", [](auto& s, Block& b) { put_u32(b, s.record(0) - 4, 0xFFFFFFFF); },
       Outcome::refused_on_open},
      {"offset past the end", [](auto& s, Block& b) { put_u32(b, s.record(1), static_cast<std::uint32_t>(b.size())); },
       Outcome::refused_on_open},
      {"offset inside the tables", [](auto& s, Block& b) { put_u32(b, s.record(0), 0); }, Outcome::refused_on_open},
      {"last item one byte longer",
       [](auto& s, Block& b) { put_u32(b, s.record(2) + 4, get_u32(b, s.record(2) + 4) + 1); },
       Outcome::refused_on_open},
      {"length wraps 32 bits", [](auto& s, Block& b) { put_u32(b, s.record(1) + 4, 0xFFFFFFFF); },
       Outcome::refused_on_open},
      {"lo link past N", [](auto& s, Block& b) { put_u16(b, s.node(0) + 2, static_cast<std::uint16_t>(s.nodes)); },
       Outcome::refused_on_open},
      {"eq link past N", [](auto& s, Block& b) { put_u16(b, s.node(0) + 4, static_cast<std::uint16_t>(s.nodes)); },
       Outcome::refused_on_open},
      {"hi link past N",
       [](auto& s, Block& b) { put_u16(b, s.node(s.end_node_of(3)) + 6, static_cast<std::uint16_t>(s.nodes)); },
       Outcome::refused_on_open},
      {"item number 0", [](auto& s, Block& b) { put_u16(b, s.node(s.end_node_of(2)) + 4, 0); },
       Outcome::refused_on_open},
      {"item number past M", [](auto& s, Block& b) { put_u16(b, s.node(s.end_node_of(2)) + 4, 4); },
       Outcome::refused_on_open},
      {"lo link to itself", [](auto& s, Block& b) { put_u16(b, s.node(0) + 2, 0); }, Outcome::tree_refused},
      {"hi link back to the root", [](auto& s, Block& b) { put_u16(b, s.node(s.end_node_of(3)) + 6, 0); },
       Outcome::tree_refused},
      {"item named twice", [](auto& s, Block& b) { put_u16(b, s.node(s.end_node_of(2)) + 4, 1); },
       Outcome::tree_refused},
      {"stream overruns its output",
       [](auto& s, Block& b) { put_u32(b, s.record(0) + 8, get_u32(b, s.record(0) + 8) - 1); },
       Outcome::content_refused},
      {"stream ends short of its length",
       [](auto& s, Block& b) { put_u32(b, s.record(0) + 8, get_u32(b, s.record(0) + 8) + 1); },
       Outcome::content_refused},
      {"stream overruns its input",
       [](auto& s, Block& b) { put_u32(b, s.record(0) + 4, get_u32(b, s.record(0) + 4) - 1); },
       Outcome::content_refused},
      {"match before the stream's start",
       [](auto& s, Block& b) {
         const std::size_t data = get_u32(b, s.record(0));
         b[data] = 0x20;  // a match as the first operation
         b[data + 1] = 0;
       },
       Outcome::content_refused},
  };

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Block block = s.block;
    c.damage(s, block);
    const auto archive = open_archive(block);
    if (c.outcome == Outcome::refused_on_open) {
      EXPECT_FALSE(archive.has_value());
      continue;
    }
    ASSERT_TRUE(archive.has_value());
    EXPECT_FALSE(list_archive(*archive).has_value());
    // Walks over a damaged tree still end, whatever they look for.
    for (const char* path : {"a.txt", "b.bin", "c/d.txt", "0", "c/d.txtz", "zz"}) (void)find_item(*archive, u16(path));
    if (c.outcome == Outcome::content_refused) {
      const auto item = lookup(*archive, u"a.txt");
      ASSERT_TRUE(item.has_value());
      EXPECT_FALSE(item_content(*item).has_value());
    }
  }
}

TEST(ArchiveCorruption, EveryTruncationIsRefused) {
  const Sample s;
  ASSERT_TRUE(open_archive(s.block).has_value());
  for (std::size_t length = 0; length < s.block.size(); ++length) {
    const Block prefix(s.block.begin(), s.block.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_FALSE(open_archive(prefix).has_value()) << "length " << length;
  }
}

TEST(ArchiveCorruption, RandomBitFlipsNeverReadOutOfBounds) {
  const Sample s;
  std::mt19937 generator(20240611);
  for (int round = 0; round < 4000; ++round) {
    Block block = s.block;
    const int flips = 1 + round % 3;
    for (int f = 0; f < flips; ++f)
      block[generator() % block.size()] ^= static_cast<std::uint8_t>(1u << (generator() % 8));

    const auto archive = open_archive(block);
    if (!archive) continue;
    for (std::uint32_t i = 0; i < archive->item_count; ++i) {
      const auto item = item_at(*archive, i);
      ASSERT_TRUE(item.has_value());
      const auto content = item_content(*item);
      if (content) {
        EXPECT_EQ(content->size(), item->unpacked_length ? item->unpacked_length : item->stored.size());
      }
    }
    for (const char* path : {"a.txt", "b.bin", "c/d.txt"}) (void)lookup(*archive, u16(path));
    if (const auto files = list_archive(*archive)) {
      EXPECT_EQ(files->size(), archive->item_count);
    }
  }
}

}  // namespace
}  // namespace uiarchive
