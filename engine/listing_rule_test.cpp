#include <gtest/gtest.h>

#include "engine/listing_rule.h"

namespace {

constexpr uint32_t kFolder = kAttributeDirectory;
constexpr uint32_t kReparseFolder = kAttributeDirectory | kAttributeReparsePoint;
constexpr uint32_t kFile = 0x20;  // FILE_ATTRIBUTE_ARCHIVE
constexpr uint32_t kReparseFile = kFile | kAttributeReparsePoint;
// What sync clients show, with placeholders shown as they are: a cloud-only file carries recall on data
// access (0x400000), unpinned (0x100000), offline (0x1000), reparse point, sparse (0x200) and archive; one
// whose data is on the disk keeps reparse point, sparse and archive.
constexpr uint32_t kCloudOnlyFile = 0x501620;
constexpr uint32_t kLocalPlaceholderFile = 0x620;

TEST(ListingRule, WhichEntriesAreEnteredHandedOverFollowedOrPassedOver) {
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
      {"OneDrive folder available online only (recall on open)", kReparseFolder | 0x40000, 0x9000301A,
       ListedAs::Folder},
      {"plain file", kFile, 0, ListedAs::File},
      {"read-only hidden system file", kFile | 0x7, 0, ListedAs::File},
      {"local placeholder file, data on the disk (IO_REPARSE_TAG_CLOUD_3)", kLocalPlaceholderFile, 0x9000301A,
       ListedAs::File},
      {"placeholder file of another sync client (IO_REPARSE_TAG_CLOUD)", kLocalPlaceholderFile, 0x9000001A,
       ListedAs::File},
      {"deduplicated file (IO_REPARSE_TAG_DEDUP)", kReparseFile, 0x80000013, ListedAs::File},
      {"compressed file (IO_REPARSE_TAG_WOF)", kReparseFile, 0x80000017, ListedAs::File},
      {"cloud-only file (IO_REPARSE_TAG_CLOUD_3, 0x501620)", kCloudOnlyFile, 0x9000301A, ListedAs::NotHere},
      {"cloud-only file of another sync client", kCloudOnlyFile, 0x9000001A, ListedAs::NotHere},
      {"file recalled on open (FILE_ATTRIBUTE_RECALL_ON_OPEN)", kReparseFile | 0x40000, 0x9000301A, ListedAs::NotHere},
      {"file on offline storage (FILE_ATTRIBUTE_OFFLINE), no reparse point", kFile | 0x1000, 0, ListedAs::NotHere},
      {"app execution alias (IO_REPARSE_TAG_APPEXECLINK)", kReparseFile, 0x8000001B, ListedAs::NoData},
      {"projected file (IO_REPARSE_TAG_PROJFS)", kReparseFile, 0x9000001C, ListedAs::NoData},
      {"hierarchical storage file (IO_REPARSE_TAG_HSM)", kReparseFile, 0xC0000004, ListedAs::NoData},
      {"OneDrive tag on a file (IO_REPARSE_TAG_ONEDRIVE)", kReparseFile, 0x80000021, ListedAs::NoData},
      {"symbolic link to a file", kReparseFile, 0xA000000C, ListedAs::FileLink},
      {"reparse file with tag 0", kReparseFile, 0, ListedAs::FileLink},
  };
  for (const auto& c : cases) EXPECT_EQ(classifyListed(c.attributes, c.tag), c.expected) << c.what;
}

}  // namespace
