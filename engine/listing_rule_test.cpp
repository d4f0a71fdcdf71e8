#include <gtest/gtest.h>

#include "engine/listing_rule.h"

namespace {

constexpr uint32_t kFolder = kAttributeDirectory;
constexpr uint32_t kReparseFolder = kAttributeDirectory | kAttributeReparsePoint;
constexpr uint32_t kFile = 0x20;  // FILE_ATTRIBUTE_ARCHIVE
constexpr uint32_t kReparseFile = kFile | kAttributeReparsePoint;

TEST(ListingRule, WhichEntriesAreEnteredHandedOverOrFollowed) {
  const struct {
    const char* what;
    uint32_t attributes, tag;
    ListedAs expected;
  } cases[] = {
      {"plain folder", kFolder, 0, ListedAs::Folder},
      {"plain folder, stale tag field", kFolder, 0xA000000C, ListedAs::Folder},
      {"symbolic link to a folder (IO_REPARSE_TAG_SYMLINK)", kReparseFolder, 0xA000000C, ListedAs::FolderLink},
      {"junction or mount point (IO_REPARSE_TAG_MOUNT_POINT)", kReparseFolder, 0xA0000003, ListedAs::FolderLink},
      {"WSL symbolic link (IO_REPARSE_TAG_LX_SYMLINK)", kReparseFolder, 0xA000001D, ListedAs::FolderLink},
      {"Wine's own link to a folder: tag 0", kReparseFolder, 0, ListedAs::FolderLink},
      {"cloud placeholder folder (IO_REPARSE_TAG_CLOUD)", kReparseFolder, 0x9000001A, ListedAs::Folder},
      {"OneDrive placeholder folder (IO_REPARSE_TAG_CLOUD_3)", kReparseFolder, 0x9000301A, ListedAs::Folder},
      {"another sync client's placeholder (IO_REPARSE_TAG_CLOUD_F)", kReparseFolder, 0x9000F01A, ListedAs::Folder},
      {"OneDrive folder (IO_REPARSE_TAG_ONEDRIVE)", kReparseFolder, 0x80000021, ListedAs::Folder},
      {"projected folder (IO_REPARSE_TAG_PROJFS)", kReparseFolder, 0x9000001C, ListedAs::Folder},
      {"deduplicated folder (IO_REPARSE_TAG_DEDUP)", kReparseFolder, 0x80000013, ListedAs::Folder},
      {"compressed folder (IO_REPARSE_TAG_WOF)", kReparseFolder, 0x80000017, ListedAs::Folder},
      {"plain file", kFile, 0, ListedAs::File},
      {"cloud placeholder file (IO_REPARSE_TAG_CLOUD_3)", kReparseFile, 0x9000301A, ListedAs::File},
      {"deduplicated file (IO_REPARSE_TAG_DEDUP)", kReparseFile, 0x80000013, ListedAs::File},
      {"symbolic link to a file", kReparseFile, 0xA000000C, ListedAs::FileLink},
      {"reparse file with tag 0", kReparseFile, 0, ListedAs::FileLink},
  };
  for (const auto& c : cases) EXPECT_EQ(classifyListed(c.attributes, c.tag), c.expected) << c.what;
}

}  // namespace
