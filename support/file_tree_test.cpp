// remove_tree on a real tree under the temporary folder: deep paths, names ending with a dot, read-only
// files, and a link whose target must survive.
#include "support/file_tree.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

std::wstring longForm(const fs::path& path) { return L"\\\\?\\" + path.native(); }

bool isThere(const fs::path& path) { return GetFileAttributesW(longForm(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void makeFile(const fs::path& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  const HANDLE file =
      CreateFileW(longForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  CloseHandle(file);
}

void makeFolder(const fs::path& path) { ASSERT_TRUE(CreateDirectoryW(longForm(path).c_str(), nullptr)) << path; }

TEST(FileTree, RemovesDeepDottedAndReadOnlyEntriesButNotWhatALinkLeadsTo) {
  const fs::path base = fs::temp_directory_path() / ("file-tree-" + std::to_string(GetCurrentProcessId()));
  const fs::path tree = base / "tree";
  const fs::path outside = base / "outside";
  makeFolder(base);
  makeFolder(tree);
  makeFolder(outside);
  makeFile(outside / "keep.txt");

  fs::path deep = tree;
  while (deep.native().size() < 300) {
    deep /= "a-folder-name-forty-characters-long-----";
    makeFolder(deep);
  }
  makeFile(deep / "deep.txt");
  makeFolder(tree / "dir.");
  makeFile(tree / "dir." / "a.locked.");
  makeFile(tree / "read-only.txt", FILE_ATTRIBUTE_READONLY);
  const bool linked = CreateSymbolicLinkW((tree / "link").c_str(), outside.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);

  support::remove_tree(tree.native());
  EXPECT_FALSE(isThere(tree));
  if (linked) {
    EXPECT_TRUE(isThere(outside / "keep.txt")) << "what the link led to stays";
  }

  support::remove_tree(base.native());
  EXPECT_FALSE(isThere(base));
}

}  // namespace
