#include "archive_reader.h"
#include "archive_writer.h"
#include "folder_files.h"

#include "archive_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace uiarchive {
namespace {

namespace fs = std::filesystem;
using testing::bytes_of;
using testing::compressible_text;
using testing::random_bytes;
using testing::u16;

class FolderRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto tag =
        std::to_string(std::random_device{}()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = fs::temp_directory_path() / ("ui-archive-test-" + tag);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  void write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const fs::path file = root_ / fs::path(path);
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
  }

  // Files under the packed subfolders, in the order the archive keeps them (byte order of paths).
  std::vector<ArchiveFile> make_ui_folder() {
    const std::vector<ArchiveFile> packed{
        {"css/main.css", compressible_text(3000)},
        {"html/empty.html", {}},
        {"html/main.html", compressible_text(20000)},
        {"img/anim/scan.png", compressible_text(5000)},  // shrinkable, but kept as-is
        {"img/anim/sub/deep/noise.dat", random_bytes(4096, 11)},
        {"img/logo.svg", bytes_of("<svg xmlns=\"http://www.w3.org/2000/svg\"/>")},
    };
    for (const auto& file : packed) write(file.path, file.bytes);
    write("packer/ignored.txt", bytes_of("not under a packed subfolder"));
    write("top.txt", bytes_of("not under a packed subfolder either"));
    return packed;
  }

  fs::path root_;
};

TEST_F(FolderRoundTrip, FolderComesBackByteForByte) {
  const auto expected = make_ui_folder();
  const auto block = pack_archive(collect_ui_files(root_, {"html", "css", "img"}));
  const auto archive = open_archive(block);
  ASSERT_TRUE(archive.has_value());
  EXPECT_EQ(list_archive(*archive), expected);

  struct Stored {
    const char* path;
    bool compressed;
  };
  for (const auto& s :
       {Stored{"css/main.css", true}, Stored{"html/main.html", true}, Stored{"img/anim/scan.png", false},
        Stored{"img/anim/sub/deep/noise.dat", false}, Stored{"html/empty.html", false}}) {
    SCOPED_TRACE(s.path);
    const auto item = lookup(*archive, u16(s.path));
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(item->unpacked_length != 0, s.compressed);
  }
  EXPECT_FALSE(find_item(*archive, u"top.txt").has_value());
  EXPECT_FALSE(find_item(*archive, u"packer/ignored.txt").has_value());
}

TEST_F(FolderRoundTrip, SameFolderPacksToSameBytes) {
  make_ui_folder();
  const auto first = pack_archive(collect_ui_files(root_, {"html", "css", "img"}));
  // Other subfolder order, and a nested subfolder already covered by its parent.
  const auto second = pack_archive(collect_ui_files(root_, {"img/anim", "css", "img", "html"}));
  EXPECT_EQ(first, second);
}

TEST_F(FolderRoundTrip, RefusesSubfoldersItCannotPack) {
  make_ui_folder();
  for (const char* subfolder : {"missing", "top.txt", "..", "../elsewhere", "html/../.."}) {
    SCOPED_TRACE(subfolder);
    EXPECT_THROW(collect_ui_files(root_, {"css", subfolder}), std::runtime_error);
  }
}

}  // namespace
}  // namespace uiarchive
