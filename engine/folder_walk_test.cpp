#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "engine/folder_walk.h"

namespace {

namespace fs = std::filesystem;

class FolderWalkTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / L"folder-walk-test";
    fs::remove_all(root_);
    fs::create_directories(root_ / L"sub" / L"deeper");
    fs::create_directories(root_ / L"empty");
    for (const auto* name : {L"a.txt", L"sub\\b.kyl", L"sub\\deeper\\c", L"sub\\deeper\\\x0434.txt"}) {
      std::ofstream(root_ / name) << "x";
    }
  }
  void TearDown() override { fs::remove_all(root_); }

  struct Listing {
    std::vector<std::wstring> files, others;
  };
  static Listing list(const std::wstring& root) {
    Listing listing;
    FolderWalk walk(systemFolders());
    uint32_t error = 0;
    EXPECT_TRUE(walk.open(root, error)) << error;
    WalkEntry entry;
    while (walk.next(entry)) {
      (entry.kind == WalkEntry::RegularFile ? listing.files : listing.others).push_back(entry.path);
    }
    std::sort(listing.files.begin(), listing.files.end());
    std::sort(listing.others.begin(), listing.others.end());
    return listing;
  }

  fs::path root_;
};

TEST_F(FolderWalkTest, ListsEveryFileUnderTheRootJoinedToIt) {
  const std::wstring root = root_.native();
  const Listing listing = list(root);
  EXPECT_EQ(listing.files,
            (std::vector<std::wstring>{root + L"\\a.txt", root + L"\\sub\\b.kyl", root + L"\\sub\\deeper\\c",
                                       root + L"\\sub\\deeper\\\x0434.txt"}));
  EXPECT_EQ(listing.others, (std::vector<std::wstring>{root + L"\\empty", root + L"\\sub", root + L"\\sub\\deeper"}));
}

TEST_F(FolderWalkTest, EachFileCarriesItsNameAndTheFinalPathOfItsFolder) {
  FolderWalk walk(systemFolders());
  uint32_t error = 0;
  ASSERT_TRUE(walk.open(root_.native(), error)) << error;
  WalkEntry entry;
  int files = 0;
  while (walk.next(entry)) {
    if (entry.kind != WalkEntry::RegularFile) continue;
    ++files;
    EXPECT_EQ(joinPath(entry.path.substr(0, entry.path.size() - entry.name.size() - 1), entry.name), entry.path);
    ASSERT_EQ(entry.folderFinalPath.rfind(L"\\\\?\\", 0), 0u) << entry.folderError;
    const std::wstring folder = entry.path.substr(0, entry.path.size() - entry.name.size() - 1);
    const std::wstring lastName = folder.substr(folder.find_last_of(L'\\') + 1);
    EXPECT_TRUE(entry.folderFinalPath.ends_with(L"\\" + lastName))
        << std::string(entry.folderFinalPath.begin(), entry.folderFinalPath.end());
  }
  EXPECT_EQ(files, 4);
}

TEST_F(FolderWalkTest, ARootHoldingANulIsAPathThatDoesNotExist) {
  // The system would read it up to the NUL, the test's own root, and list that over and over.
  FolderWalk walk(systemFolders());
  uint32_t error = 0;
  EXPECT_FALSE(walk.open(root_.native() + std::wstring(1, L'\0') + L"\\sub", error));
  EXPECT_EQ(error, kErrorPathNotFound);
}

TEST_F(FolderWalkTest, RootWithTrailingSeparatorOrLongPathFormKeepsItsSpelling) {
  const std::wstring withSeparator = root_.native() + L"\\";
  EXPECT_EQ(list(withSeparator).files.front(), withSeparator + L"a.txt");
  const std::wstring longForm = L"\\\\?\\" + root_.native();
  EXPECT_EQ(list(longForm).files.front(), longForm + L"\\a.txt");
}

TEST_F(FolderWalkTest, RootNamingAFileListsThatFile) {
  const std::wstring file = (root_ / L"sub" / L"b.kyl").native();
  const Listing listing = list(file);
  EXPECT_EQ(listing.files, std::vector<std::wstring>{file});
  EXPECT_TRUE(listing.others.empty());
}

TEST_F(FolderWalkTest, RootsThatCannotBeOpenedReportWhy) {
  for (const std::wstring& root : {(root_ / L"missing").native(), std::wstring()}) {
    FolderWalk walk(systemFolders());
    uint32_t error = 0;
    EXPECT_FALSE(walk.open(root, error)) << root;
    EXPECT_NE(error, 0u) << root;
  }
}

TEST_F(FolderWalkTest, DirectoryLinksAreListedButNotEntered) {
  const fs::path outside = fs::temp_directory_path() / L"folder-walk-outside";
  fs::create_directories(outside);
  std::ofstream(outside / L"must-not-be-seen.txt") << "x";
  const fs::path link = root_ / L"link-to-outside";
  const bool made = CreateSymbolicLinkW(link.c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
  if (!made) {
    fs::remove_all(outside);
    GTEST_SKIP() << "directory links cannot be made here (error " << GetLastError() << ")";
  }
  const Listing listing = list(root_.native());
  fs::remove(link);
  fs::remove_all(outside);
  for (const auto& file : listing.files) EXPECT_EQ(file.find(L"must-not-be-seen"), std::wstring::npos);
  EXPECT_EQ(listing.files.size(), 4u);
}

TEST(JoinPath, KeepsOneSeparator) {
  EXPECT_EQ(joinPath(L"C:\\data", L"a"), L"C:\\data\\a");
  EXPECT_EQ(joinPath(L"C:\\data\\", L"a"), L"C:\\data\\a");
  EXPECT_EQ(joinPath(L"C:/data/", L"a"), L"C:/data/a");
  EXPECT_EQ(joinPath(L"\\\\?\\C:\\", L"a"), L"\\\\?\\C:\\a");
  EXPECT_EQ(joinPath(L"C:", L"a"), L"C:a");
}

}  // namespace
