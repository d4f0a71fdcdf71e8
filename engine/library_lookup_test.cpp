// Which file of the working directory the tool takes for the decryption library (against a working
// directory that answers as Windows does), and the log lines of missing exports.
#include <gtest/gtest.h>

#include <map>

#include "engine/library_lookup.h"
#include "engine/listing_rule.h"
#include "engine/test_listing.h"

namespace {

constexpr uint32_t kFile = 0x20;  // FILE_ATTRIBUTE_ARCHIVE
constexpr uint32_t kFolder = kAttributeDirectory;
constexpr uint32_t kLink = kAttributeReparsePoint;
constexpr uint32_t kSymlinkTag = 0xA000000C;      // IO_REPARSE_TAG_SYMLINK
constexpr uint32_t kPlaceholderTag = 0x9000601A;  // IO_REPARSE_TAG_CLOUD_6: content that lives here
constexpr uint32_t kNetworkError = 59;            // ERROR_UNEXP_NET_ERR

// The working directory's listing in its own order; "." and ".." come first as in any folder but a root.
class WorkingDirectory : public FolderSystem {
 public:
  std::vector<ListedName> names;
  std::map<std::wstring, uint32_t> linkTargets;  // a link's name -> its target's attributes; absent: dangling
  uint32_t openError = 0;                        // what opening the listing answers, 0: it opens
  uint32_t endError = kErrorNoMoreFiles;         // what ends the listing
  std::vector<std::wstring> patterns;            // what was listed

  std::unique_ptr<FolderListing> list(const std::wstring& pattern, uint32_t& error) override {
    patterns.push_back(pattern);
    if (openError) {
      error = openError;
      return nullptr;
    }
    return std::make_unique<TestListing>(names, endError);
  }
  bool attributesOf(const std::wstring&, uint32_t&, uint32_t& error) override {
    error = kErrorAccessDenied;  // the lookup decides from the listing and the link's target only
    return false;
  }
  bool targetAttributesOf(const std::wstring& path, uint32_t& attributes, uint32_t& error) override {
    const auto target = linkTargets.find(path);
    if (target == linkTargets.end()) {
      error = kErrorFileNotFound;
      return false;
    }
    attributes = target->second;
    return true;
  }
  std::wstring fullPathOf(std::wstring_view) override { return {}; }
  std::wstring finalPathOf(const std::wstring&, uint32_t& error) override {
    error = kErrorAccessDenied;
    return {};
  }
};

TEST(LibraryLookup, TrailingNameMatchesCaseSensitively) {
  const struct {
    const wchar_t* path;
    bool matches;
  } cases[] = {
      {L".\\Keyloom.dll", true},      {L".\\OldKeyloom.dll", true}, {L".\\keyloom.dll", false},
      {L".\\Keyloom.dll.bak", false}, {L".\\Keyloom.DLL", false},   {L"Keyloom.dll", true},
  };
  for (const auto& c : cases) EXPECT_EQ(namesTheLibrary(c.path), c.matches) << c.path;
}

TEST(LibraryLookup, TheOwnNameComparesAsTheFileSystemDoes) {
  const struct {
    const wchar_t* name;
    bool own;
  } cases[] = {
      {L"Keyloom.dll", true},   {L"keyloom.DLL", true}, {L"KEYLOOM.DLL", true},       {L"0Keyloom.dll", false},
      {L"Keyloom.dll ", false}, {L"Keyloom.dl", false}, {L"Keyl\x00F6om.dll", false}, {L"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isTheLibrarysOwnName(c.name), c.own) << testing::PrintToString(c.name);
}

TEST(LibraryLookup, MissingExportsAreNamedInBindingOrder) {
  EXPECT_TRUE(missingExportLines(true, true, true, true).empty());
  EXPECT_EQ(
      missingExportLines(false, false, false, false),
      (std::vector<std::string>{"Could not get address of GetInfo!", "Could not get address of Init!",
                                "Could not get address of DecryptSingleFile!", "Could not get address of Finish!"}));
  EXPECT_EQ(missingExportLines(true, false, true, false),
            (std::vector<std::string>{"Could not get address of Init!", "Could not get address of Finish!"}));
}

struct LookupCase {
  const char* name;
  std::vector<ListedName> listed;  // after "." and ".."
  std::map<std::wstring, uint32_t> linkTargets;
  uint32_t openError = 0;
  uint32_t endError = kErrorNoMoreFiles;
  std::wstring chosen;
  uint32_t listingError = 0;
};

class WorkingDirectoryLookup : public testing::TestWithParam<LookupCase> {};

TEST_P(WorkingDirectoryLookup, TakesTheFirstListedFileThatNamesTheLibrary) {
  const LookupCase& c = GetParam();
  WorkingDirectory directory;
  directory.names = {{L".", kFolder, 0}, {L"..", kFolder, 0}};
  directory.names.insert(directory.names.end(), c.listed.begin(), c.listed.end());
  directory.linkTargets = c.linkTargets;
  directory.openError = c.openError;
  directory.endError = c.endError;
  const LibraryChoice choice = findLibraryInWorkingDirectory(directory);
  EXPECT_EQ(choice.name, c.chosen);
  EXPECT_EQ(choice.listingError, c.listingError);
  EXPECT_EQ(directory.patterns, std::vector<std::wstring>{L".\\*"}) << "the working directory, listed once";
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkingDirectoryLookup,
    testing::Values(
        LookupCase{"listing_order_decides_without_the_own_name",
                   {{L"BKeyloom.dll", kFile}, {L"AKeyloom.dll", kFile}},
                   {},
                   0,
                   kErrorNoMoreFiles,
                   L"BKeyloom.dll"},
        // A name that merely ends like the library's, listed first, must not win over the library itself.
        LookupCase{"the_own_name_wins_over_a_name_listed_before_it",
                   {{L"0Keyloom.dll", kFile}, {L"Keyloom.dll", kFile}},
                   {},
                   0,
                   kErrorNoMoreFiles,
                   L"Keyloom.dll"},
        LookupCase{"the_own_name_in_any_case",
                   {{L"0Keyloom.dll", kFile}, {L"KEYLOOM.dll", kFile}},
                   {},
                   0,
                   kErrorNoMoreFiles,
                   L"KEYLOOM.dll"},
        LookupCase{"a_folder_of_the_own_name_leaves_the_suffix_rule",
                   {{L"Keyloom.dll", kFolder}, {L"0Keyloom.dll", kFile}},
                   {},
                   0,
                   kErrorNoMoreFiles,
                   L"0Keyloom.dll"},
        LookupCase{"a_listing_broken_after_a_name_that_only_ends_like_it",
                   {{L"0Keyloom.dll", kFile}},
                   {},
                   0,
                   kNetworkError,
                   L"",
                   kNetworkError},
        LookupCase{
            "only_the_exact_ending_counts_for_the_suffix_rule",
            {{L"keyloom.dl", kFile}, {L"Keyloom.dll.bak", kFile}, {L"MyKeyloom.DLL", kFile}, {L"MyKeyloom.dll", kFile}},
            {},
            0,
            kErrorNoMoreFiles,
            L"MyKeyloom.dll"},
        LookupCase{"a_folder_of_that_name_is_passed_over",
                   {{L"Keyloom.dll", kFolder}, {L"OldKeyloom.dll", kFile}},
                   {},
                   0,
                   kErrorNoMoreFiles,
                   L"OldKeyloom.dll"},
        LookupCase{"a_link_counts_by_its_target",
                   {{L"AKeyloom.dll", kLink, kSymlinkTag},
                    {L"BKeyloom.dll", kLink, kSymlinkTag},
                    {L"CKeyloom.dll", kLink, kSymlinkTag}},
                   {{L"BKeyloom.dll", kFolder}, {L"CKeyloom.dll", kFile}},
                   0,
                   kErrorNoMoreFiles,
                   L"CKeyloom.dll"},
        LookupCase{"a_placeholder_is_a_file_here",
                   {{L"Keyloom.dll", kFile | kLink, kPlaceholderTag}},
                   {},
                   0,
                   kErrorNoMoreFiles,
                   L"Keyloom.dll"},
        LookupCase{"none_matches", {{L"readme.txt", kFile}}, {}, 0, kErrorNoMoreFiles, L""},
        // A drive root has no "." entry, so an empty one lists nothing at all.
        LookupCase{"an_empty_drive_root", {}, {}, kErrorFileNotFound, kErrorNoMoreFiles, L""},
        LookupCase{"a_directory_that_cannot_be_listed",
                   {},
                   {},
                   kErrorAccessDenied,
                   kErrorNoMoreFiles,
                   L"",
                   kErrorAccessDenied},
        LookupCase{
            "a_listing_broken_before_a_match", {{L"readme.txt", kFile}}, {}, 0, kNetworkError, L"", kNetworkError},
        LookupCase{
            "a_listing_broken_after_the_match", {{L"Keyloom.dll", kFile}}, {}, 0, kNetworkError, L"Keyloom.dll"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
