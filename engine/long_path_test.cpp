#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/long_path.h"

namespace {

// `start` padded with folder names of ten characters ("\ddddddddd") and one last name up to `length`.
std::wstring pathOfLength(std::wstring start, std::size_t length) {
  while (start.size() + 10 < length) start += L"\\ddddddddd";
  if (start.size() < length) {
    start += L'\\';
    start.append(length - start.size(), L'f');
  }
  return start;
}

// What GetFullPathNameW would answer with C:\work as the current folder and D:\d as D:'s.
std::wstring fakeFullPath(std::wstring_view given, const std::wstring& currentFolder = L"C:\\work") {
  std::wstring path(given);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  if (path.size() >= 2 && path[1] == L':' && (path.size() == 2 || path[2] != L'\\'))
    path = (path[0] == L'D' ? L"D:\\d\\" : currentFolder + L"\\") + path.substr(2);
  else if (path.starts_with(L"\\") && !path.starts_with(L"\\\\"))
    path = currentFolder.substr(0, 2) + path;
  else if (!(path.size() >= 3 && path[1] == L':') && !path.starts_with(L"\\\\"))
    path = currentFolder + L"\\" + path;
  // Fold "\..": enough for the cases below.
  for (std::size_t up; (up = path.find(L"\\..")) != std::wstring::npos;) {
    const std::size_t parent = path.rfind(L'\\', up - 1);
    path.erase(parent, up + 3 - parent);
  }
  return path;
}

struct Case {
  const char* what;
  std::wstring path;
  PathUse use;
  std::wstring expected;
};

TEST(LongPath, FormForTheSystem) {
  const std::wstring file259 = pathOfLength(L"C:", 259);
  const std::wstring file260 = pathOfLength(L"C:", 260);
  const std::wstring folder257 = pathOfLength(L"C:", 257);
  const std::wstring folder258 = pathOfLength(L"C:", 258);
  const std::wstring slashFolder258 = pathOfLength(L"C:", 257) + L"\\";
  const std::wstring slashFolder259 = pathOfLength(L"C:", 258) + L"\\";
  // A relative path is measured once resolved: "C:\work\" adds 8 characters.
  const std::wstring relative251 = pathOfLength(L"docs", 251);
  const std::wstring relative252 = pathOfLength(L"docs", 252);
  const std::wstring unc259 = pathOfLength(L"\\\\server\\share", 259);
  const std::wstring unc260 = pathOfLength(L"\\\\server\\share", 260);
  const std::wstring prefixed = pathOfLength(L"\\\\?\\C:", 400);
  const std::wstring prefixedUnc = pathOfLength(L"\\\\?\\UNC\\server\\share", 400);
  const std::wstring slashed = pathOfLength(L"C:", 300);
  std::wstring forward = slashed;
  for (wchar_t& c : forward)
    if (c == L'\\') c = L'/';

  const std::vector<Case> cases = {
      {"file path just below the limit", file259, PathUse::File, file259},
      {"file path at the limit (260 with its NUL)", file260, PathUse::File, L"\\\\?\\" + file260},
      {"file path well above the limit", pathOfLength(L"C:", 1000), PathUse::File,
       L"\\\\?\\" + pathOfLength(L"C:", 1000)},
      {"folder whose pattern fits", folder257, PathUse::FolderListing, folder257},
      {"folder whose pattern passes", folder258, PathUse::FolderListing, L"\\\\?\\" + folder258},
      {"folder of 258 is still a fine file path", folder258, PathUse::File, folder258},
      {"folder ending in a separator, pattern fits", slashFolder258, PathUse::FolderListing, slashFolder258},
      {"folder ending in a separator, pattern passes", slashFolder259, PathUse::FolderListing,
       L"\\\\?\\" + slashFolder259},
      {"short relative path stays relative", L"docs\\a.txt", PathUse::File, L"docs\\a.txt"},
      {"relative path that fits once resolved", relative251, PathUse::File, relative251},
      {"relative path that passes once resolved", relative252, PathUse::File, L"\\\\?\\C:\\work\\" + relative252},
      {"drive-relative path", L"D:" + pathOfLength(L"docs", 260), PathUse::File,
       L"\\\\?\\D:\\d\\" + pathOfLength(L"docs", 260)},
      {"root-relative path", pathOfLength(L"\\docs", 262), PathUse::File, L"\\\\?\\C:" + pathOfLength(L"\\docs", 262)},
      {"UNC path below the limit", unc259, PathUse::File, unc259},
      {"UNC path at the limit", unc260, PathUse::File, L"\\\\?\\UNC\\" + unc260.substr(2)},
      {"already in the long-path form", prefixed, PathUse::File, prefixed},
      {"already in the long UNC form", prefixedUnc, PathUse::FolderListing, prefixedUnc},
      {"device path", L"\\\\.\\" + pathOfLength(L"C:", 300), PathUse::File, L"\\\\.\\" + pathOfLength(L"C:", 300)},
      {"forward slashes become backslashes", forward, PathUse::File, L"\\\\?\\" + slashed},
      {"dot-dot is folded before the prefix", pathOfLength(L"C:\\x\\..", 300), PathUse::File,
       L"\\\\?\\" + fakeFullPath(pathOfLength(L"C:\\x\\..", 300))},
      {"empty path", L"", PathUse::File, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(systemPathFor(c.path, c.use, [](std::wstring_view p) { return fakeFullPath(p); }), c.expected) << c.what;
  }
}

// GetFullPathNameW also drops the trailing dots and spaces of each name, as the classic path rules do.
std::wstring windowsFullPath(std::wstring_view given) {
  std::wstring full = fakeFullPath(given);
  std::wstring out;
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= full.size(); ++i) {
    if (i < full.size() && full[i] != L'\\') continue;
    std::wstring name = full.substr(begin, i - begin);
    if (name != L"." && name != L"..")
      while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
    out += name;
    if (i < full.size()) out += L'\\';
    begin = i + 1;
  }
  return out;
}

TEST(LongPath, NamesEndingInADotOrASpaceAreKeptExactlyInTheLongForm) {
  const std::vector<Case> cases = {
      {"folder name ending in a dot", L"D:\\victim\\dir.\\report.txt", PathUse::File,
       L"\\\\?\\D:\\victim\\dir.\\report.txt"},
      {"file name ending in a dot", L"D:\\victim\\a.locked.", PathUse::File, L"\\\\?\\D:\\victim\\a.locked."},
      {"name ending in a space", L"D:\\victim\\notes \\a.txt", PathUse::File, L"\\\\?\\D:\\victim\\notes \\a.txt"},
      {"listing of a folder ending in a dot", L"D:\\victim\\dir.", PathUse::FolderListing, L"\\\\?\\D:\\victim\\dir."},
      {"trailing separator after it", L"D:\\victim\\dir.\\", PathUse::FolderListing, L"\\\\?\\D:\\victim\\dir."},
      {"three dots are a name", L"D:\\victim\\...\\a", PathUse::File, L"\\\\?\\D:\\victim\\...\\a"},
      {"dot-dot folded beside such a name", L"D:\\victim\\x\\..\\.\\dir.\\a", PathUse::File,
       L"\\\\?\\D:\\victim\\dir.\\a"},
      {"relative path", L"docs\\dir.\\a", PathUse::File, L"\\\\?\\C:\\work\\docs\\dir.\\a"},
      {"drive-relative path", L"D:dir.\\a", PathUse::File, L"\\\\?\\D:\\d\\dir.\\a"},
      {"root-relative path", L"\\dir.\\a", PathUse::File, L"\\\\?\\C:\\dir.\\a"},
      {"UNC path", L"\\\\server\\share\\dir.\\a", PathUse::File, L"\\\\?\\UNC\\server\\share\\dir.\\a"},
      {"forward slashes", L"D:/victim/dir./a", PathUse::File, L"\\\\?\\D:\\victim\\dir.\\a"},
      {"already in the long-path form", L"\\\\?\\D:\\dir.\\a.", PathUse::File, L"\\\\?\\D:\\dir.\\a."},
      // Without such a name nothing changes.
      {"dots inside names", L"D:\\victim\\a.b\\c.txt", PathUse::File, L"D:\\victim\\a.b\\c.txt"},
      {"dot and dot-dot are steps, not names", L"D:\\victim\\.\\x\\..\\a.txt", PathUse::File,
       L"D:\\victim\\.\\x\\..\\a.txt"},
      {"relative steps only", L"..\\a.txt", PathUse::File, L"..\\a.txt"},
      {"a space inside a name", L"D:\\my files\\a b.txt", PathUse::FolderListing, L"D:\\my files\\a b.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(systemPathFor(c.path, c.use, windowsFullPath), c.expected) << c.what;
}

TEST(LongPath, ShortRelativePathUnderADeepCurrentFolderGetsTheLongForm) {
  const std::wstring deep = pathOfLength(L"C:", 255);
  const auto resolve = [&](std::wstring_view p) { return fakeFullPath(p, deep); };
  EXPECT_EQ(systemPathFor(L"sub\\a.txt", PathUse::File, resolve), L"\\\\?\\" + deep + L"\\sub\\a.txt");
}

TEST(LongPath, FullyQualifiedShortPathsNeverAskTheSystem) {
  int asked = 0;
  const auto counting = [&](std::wstring_view p) {
    ++asked;
    return fakeFullPath(p);
  };
  for (const wchar_t* path : {L"C:\\a\\b.txt", L"c:/a", L"\\\\server\\share\\x"})
    EXPECT_EQ(systemPathFor(path, PathUse::FolderListing, counting), path);
  EXPECT_EQ(asked, 0);
}

TEST(LongPath, AScanPathIsAnchoredOnceToWhereItStartsFrom) {
  const auto full = [](std::wstring_view path) { return fakeFullPath(path); };
  const struct {
    const wchar_t* given;
    const wchar_t* anchored;
  } cases[] = {
      {L"victim", L"C:\\work\\victim"},
      {L"..\\victim\\.\\a", L"C:\\victim\\a"},
      {L"D:victim", L"D:\\d\\victim"},
      {L"\\victim", L"C:\\victim"},
      {L"dir.\\a.locked.", L"C:\\work\\dir.\\a.locked."},  // the names kept, unlike GetFullPathNameW
      {L"C:\\given\\..\\as is", L"C:\\given\\..\\as is"},  // already independent of the working directory
      {L"\\\\server\\share\\x", L"\\\\server\\share\\x"},
      {L"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(anchoredPath(c.given, full), c.anchored) << c.given;
}

TEST(LongPath, UnresolvablePathIsLeftAsGiven) {
  const std::wstring relative = pathOfLength(L"docs", 300);
  EXPECT_EQ(systemPathFor(relative, PathUse::File, [](std::wstring_view) { return std::wstring(); }), relative);
}

}  // namespace
