#include "archive_writer.h"

#include "archive_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace uiarchive {
namespace {

using testing::bytes_of;
using testing::compressible_text;
using testing::random_bytes;

// Reads the block directly, not through the reader, so that writer and reader check each other.
std::uint32_t u32_at(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t{b.at(at)} | std::uint32_t{b.at(at + 1)} << 8 | std::uint32_t{b.at(at + 2)} << 16 |
         std::uint32_t{b.at(at + 3)} << 24;
}

std::uint16_t u16_at(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b.at(at) | b.at(at + 1) << 8);
}

struct Record {
  std::uint32_t offset, stored, unpacked;
};

std::vector<Record> records_of(const std::vector<std::uint8_t>& block) {
  const std::uint32_t nodes = u32_at(block, 4);
  const std::size_t table = 12 + 8 * std::size_t{nodes};
  std::vector<Record> records(u32_at(block, table - 4));
  for (std::size_t i = 0; i < records.size(); ++i)
    records[i] = {u32_at(block, table + 12 * i), u32_at(block, table + 12 * i + 4), u32_at(block, table + 12 * i + 8)};
  return records;
}

TEST(ArchiveWriter, BuildsTheTreeInCreationOrder) {
  // Inserted as "ab", "ac", "b" after sorting; each row is char, lo, eq, hi.
  const auto block = pack_archive({{"b", {}}, {"ac", {}}, {"ab", {}}});
  const std::vector<std::array<std::uint16_t, 4>> expected{
      {'a', 0xFFFF, 1, 5},       // 0
      {'b', 0xFFFF, 2, 3},       // 1 "ab"
      {0, 0xFFFF, 1, 0xFFFF},    // 2 end of item 1
      {'c', 0xFFFF, 4, 0xFFFF},  // 3 "ac"
      {0, 0xFFFF, 2, 0xFFFF},    // 4 end of item 2
      {'b', 0xFFFF, 6, 0xFFFF},  // 5 "b"
      {0, 0xFFFF, 3, 0xFFFF},    // 6 end of item 3
  };
  ASSERT_TRUE(std::equal(block.begin(), block.begin() + 4, "SAr"));
  EXPECT_EQ(block[3], 0);
  ASSERT_EQ(u32_at(block, 4), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    for (std::size_t field = 0; field < 4; ++field) EXPECT_EQ(u16_at(block, 8 + 8 * i + 2 * field), expected[i][field]);
  }
  EXPECT_EQ(u32_at(block, 8 + 8 * expected.size()), 3u);
}

TEST(ArchiveWriter, PlacesItemsBackToBackUpToTheLastByte) {
  const std::vector<ArchiveFile> files{{"html/main.html", compressible_text(4000)},
                                       {"css/main.css", compressible_text(900)},
                                       {"img/logo.png", random_bytes(700, 1)},
                                       {"zz/empty.txt", {}},
                                       {"zz/last.bin", random_bytes(33, 2)}};
  const auto block = pack_archive(files);
  const auto records = records_of(block);
  ASSERT_EQ(records.size(), files.size());

  // Node 0 begins the first path in byte order.
  EXPECT_EQ(u16_at(block, 8), 'c');
  std::size_t expected_offset = 12 + 8 * std::size_t{u32_at(block, 4)} + 12 * records.size();
  for (const auto& record : records) {
    EXPECT_EQ(record.offset, expected_offset);
    expected_offset += record.stored;
  }
  EXPECT_EQ(expected_offset, block.size());
}

TEST(ArchiveWriter, CompressesOnlyWhatLzfShrinks) {
  struct Case {
    std::string path;
    std::vector<std::uint8_t> bytes;
    bool compressed;
  };
  const std::vector<Case> cases{
      {"a/markup.html", compressible_text(3000), true},
      {"b/image.png", compressible_text(3000), false},
      {"c/agreement.DOCX", compressible_text(3000), false},
      {"d/archive.gz", compressible_text(3000), false},
      {"e/photo.Jpg", compressible_text(3000), false},
      {"f/noise.bin", random_bytes(3000, 3), false},
      {"g/empty.css", {}, false},
      {"h/tiny.svg", bytes_of("<svg/>"), false},
      {"i.png/inside.txt", compressible_text(3000), true},
  };
  std::vector<ArchiveFile> files;
  for (const auto& c : cases) files.push_back({c.path, c.bytes});
  const auto records = records_of(pack_archive(files));
  ASSERT_EQ(records.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].path);
    if (cases[i].compressed) {
      EXPECT_EQ(records[i].unpacked, cases[i].bytes.size());
      EXPECT_LT(records[i].stored, cases[i].bytes.size());
    } else {
      EXPECT_EQ(records[i].unpacked, 0u);
      EXPECT_EQ(records[i].stored, cases[i].bytes.size());
    }
  }
}

TEST(ArchiveWriter, SameFilesGiveTheSameBytesInAnyOrder) {
  std::vector<ArchiveFile> files{{"img/b.svg", compressible_text(500)},
                                 {"html/main.html", compressible_text(2000)},
                                 {"img/a.png", random_bytes(100, 4)},
                                 {"Img/upper.svg", bytes_of("x")}};
  const auto first = pack_archive(files);
  std::reverse(files.begin(), files.end());
  EXPECT_EQ(pack_archive(files), first);
  std::swap(files[0], files[2]);
  EXPECT_EQ(pack_archive(files), first);
}

TEST(ArchiveWriter, RefusesWhatTheFormatCannotHold) {
  struct Case {
    const char* name;
    std::vector<ArchiveFile> files;
  };
  const std::vector<Case> cases{
      {"empty path", {{"", bytes_of("x")}}},
      {"duplicate path", {{"css/main.css", {}}, {"a.txt", {}}, {"css/main.css", bytes_of("y")}}},
      {"invalid UTF-8", {{"img/\xC3.png", {}}}},
      {"zero character", {{std::string("a\0b", 3), {}}}},
      {"65535 nodes", {{std::string(0xFFFE, 'a'), {}}}},
      {"65535 nodes over several paths", {{std::string(0x8000, 'a'), {}}, {std::string(0x7FFD, 'b'), {}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(pack_archive(c.files), std::runtime_error);
  }
  // The largest tree that still fits: 65533 characters and one end node.
  EXPECT_EQ(u32_at(pack_archive({{std::string(0xFFFD, 'a'), {}}}), 4), 0xFFFEu);
}

}  // namespace
}  // namespace uiarchive
