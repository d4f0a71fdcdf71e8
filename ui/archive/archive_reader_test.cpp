#include "archive_reader.h"
#include "archive_writer.h"

#include "archive_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace uiarchive {
namespace {

using testing::bytes_of;
using testing::compressible_text;
using testing::random_bytes;
using testing::u16;

std::vector<ArchiveFile> sample_files() {
  return {{"html/main.html", compressible_text(5000)},
          {"html/main.html.bak", bytes_of("old")},
          {"html/eula.html", compressible_text(1200)},
          {"css/main.css", compressible_text(800)},
          {"img/anim/scan.png", random_bytes(400, 1)},
          {"img/\xC3\xA9t\xC3\xA9.svg", bytes_of("<svg/>")},
          {"about.svg", {}}};
}

std::vector<ArchiveFile> sorted(std::vector<ArchiveFile> files) {
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
  return files;
}

TEST(ArchiveReader, ListsEveryItemBackByteForByte) {
  const auto block = pack_archive(sample_files());
  const auto archive = open_archive(block);
  ASSERT_TRUE(archive.has_value());
  EXPECT_EQ(archive->item_count, sample_files().size());
  EXPECT_EQ(list_archive(*archive), sorted(sample_files()));
}

TEST(ArchiveReader, FindsOnlyExactPaths) {
  const auto block = pack_archive(sample_files());
  const auto archive = open_archive(block);
  ASSERT_TRUE(archive.has_value());

  struct Case {
    std::u16string path;
    std::optional<std::string> found;  // path of the expected item
  };
  const std::vector<Case> cases{
      {u"html/main.html", "html/main.html"},
      {u"html/main.html.bak", "html/main.html.bak"},  // reached through an end node's hi link
      {u"html/eula.html", "html/eula.html"},
      {u"img/\u00E9t\u00E9.svg", "img/\xC3\xA9t\xC3\xA9.svg"},
      {u"about.svg", "about.svg"},
      {u"HTML/main.html", std::nullopt},
      {u"html/Main.html", std::nullopt},
      {u"html/main.htm", std::nullopt},
      {u"html/main.html5", std::nullopt},
      {u"html/main.html.ba", std::nullopt},
      {u"html", std::nullopt},
      {u"html/", std::nullopt},
      {u"img/anim", std::nullopt},
      {u"", std::nullopt},
      {u16("html/main.html") + u'\0', std::nullopt},
      {u"/html/main.html", std::nullopt},
      {u"html\\main.html", std::nullopt},
  };
  const auto files = sorted(sample_files());
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.path.begin(), c.path.end()));
    const auto index = find_item(*archive, c.path);
    ASSERT_EQ(index.has_value(), c.found.has_value());
    if (!index) continue;
    ASSERT_LT(*index, files.size());
    EXPECT_EQ(files[*index].path, *c.found);
    const auto item = lookup(*archive, c.path);
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(item_content(*item), files[*index].bytes);
  }
}

TEST(ArchiveReader, CompressedItemsUnpackToTheirUnpackedLength) {
  const auto block = pack_archive(sample_files());
  const auto archive = open_archive(block);
  ASSERT_TRUE(archive.has_value());
  const auto files = sorted(sample_files());
  std::size_t compressed = 0;
  for (std::uint32_t i = 0; i < archive->item_count; ++i) {
    const auto item = item_at(*archive, i);
    ASSERT_TRUE(item.has_value());
    const auto content = item_content(*item);
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(*content, files[i].bytes);
    if (item->unpacked_length != 0) {
      ++compressed;
      EXPECT_EQ(content->size(), item->unpacked_length);
      EXPECT_LT(item->stored.size(), item->unpacked_length);
    }
  }
  EXPECT_EQ(compressed, 3u);  // the html and css files
  EXPECT_FALSE(item_at(*archive, archive->item_count).has_value());
}

TEST(ArchiveReader, EmptyArchiveHoldsNothing) {
  const auto block = pack_archive({});
  const auto archive = open_archive(block);
  ASSERT_TRUE(archive.has_value());
  EXPECT_EQ(block.size(), 12u);
  EXPECT_FALSE(find_item(*archive, u"a").has_value());
  EXPECT_EQ(list_archive(*archive), std::vector<ArchiveFile>{});
}

}  // namespace
}  // namespace uiarchive
