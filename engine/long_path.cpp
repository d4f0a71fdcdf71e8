#include "engine/long_path.h"

#include <vector>

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "\*" after a folder, or only "*" when the folder already ends with a separator.
std::size_t listingPatternLength(std::wstring_view folder) {
  return !folder.empty() && isSeparator(folder.back()) ? 1 : 2;
}

bool isFolderStep(std::wstring_view name) { return name == L"." || name == L".."; }

// Calls visit for each name between separators, empty ones included.
template <class Visit>
void forEachName(std::wstring_view path, Visit visit) {
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || isSeparator(path[i])) {
      visit(path.substr(begin, i - begin));
      begin = i + 1;
    }
  }
}

// The length of the part of a full path that ".." cannot climb above: "C:\" or "\\server\share\" (all of
// "\\server\share" when nothing follows); 0 when the path has neither form.
std::size_t rootLength(std::wstring_view full) {
  if (full.size() >= 3 && isDriveLetter(full[0]) && full[1] == L':' && isSeparator(full[2])) return 3;
  if (full.size() < 2 || !isSeparator(full[0]) || !isSeparator(full[1])) return 0;
  std::size_t i = 2;
  for (int part = 0; part < 2; ++part) {  // the server's name, then the share's
    while (i < full.size() && !isSeparator(full[i])) ++i;
    if (i < full.size()) ++i;
  }
  return i;
}

}  // namespace

// The system's own resolution (GetFullPathNameW) would drop trailing dots and spaces, so it is asked only
// for the current folder a relative path starts from; the names are joined to it here.
std::wstring fullPathKeepingNames(std::wstring_view path, const FullPathOf& fullPathOf) {
  std::wstring start;
  std::wstring_view names = path;
  if (isFullyQualified(path)) {
    start = std::wstring(path.substr(0, rootLength(path)));
    names = path.substr(start.size());
  } else if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == L':') {
    start = fullPathOf(path.substr(0, 2));  // "C:docs": the current folder of drive C:
    names = path.substr(2);
  } else if (!path.empty() && isSeparator(path[0])) {
    start = fullPathOf(path.substr(0, 1));  // "\docs": the root of the current drive
    names = path.substr(1);
  } else {
    start = fullPathOf(L".");
  }
  const std::size_t root = rootLength(start);
  if (root == 0) return {};

  std::wstring full(start.substr(0, root));
  for (wchar_t& c : full)
    if (c == L'/') c = L'\\';
  if (full.back() != L'\\') full += L'\\';
  std::vector<std::wstring_view> kept;
  const auto fold = [&kept](std::wstring_view name) {
    if (name.empty() || name == L".") return;
    if (name == L"..") {
      if (!kept.empty()) kept.pop_back();
    } else {
      kept.push_back(name);
    }
  };
  forEachName(std::wstring_view(start).substr(root), fold);
  forEachName(names, fold);
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) full += L'\\';
    full += kept[i];
  }
  return full;
}

std::wstring anchoredPath(std::wstring_view path, const FullPathOf& fullPathOf) {
  if (path.empty() || hasLongPathPrefix(path) || isFullyQualified(path)) return std::wstring(path);
  const std::wstring full = fullPathKeepingNames(path, fullPathOf);
  return full.empty() ? std::wstring(path) : full;
}

bool hasNameEndingInDotOrSpace(std::wstring_view path) {
  bool found = false;
  forEachName(path, [&found](std::wstring_view name) {
    if (!name.empty() && !isFolderStep(name) && (name.back() == L'.' || name.back() == L' ')) found = true;
  });
  return found;
}

bool isFullyQualified(std::wstring_view path) {
  if (path.size() >= 3 && isDriveLetter(path[0]) && path[1] == L':' && isSeparator(path[2])) return true;
  return path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
}

bool hasLongPathPrefix(std::wstring_view path) {
  if (path.size() < 4 || path[0] != L'\\' || path[3] != L'\\') return false;
  const std::wstring_view middle = path.substr(1, 2);
  return middle == L"\\?" || middle == L"\\." || middle == L"??";
}

std::wstring longPathForm(std::wstring_view fullPath) {
  if (hasLongPathPrefix(fullPath)) return std::wstring(fullPath);
  if (fullPath.size() >= 2 && isSeparator(fullPath[0]) && isSeparator(fullPath[1]))
    return L"\\\\?\\UNC\\" + std::wstring(fullPath.substr(2));
  return L"\\\\?\\" + std::wstring(fullPath);
}

std::wstring systemPathFor(std::wstring_view path, PathUse use, const FullPathOf& fullPathOf) {
  if (path.empty() || hasLongPathPrefix(path)) return std::wstring(path);
  if (hasNameEndingInDotOrSpace(path)) {
    const std::wstring full = fullPathKeepingNames(path, fullPathOf);
    return full.empty() ? std::wstring(path) : longPathForm(full);
  }
  // The system measures a relative path once it has joined it to the current folder.
  std::wstring resolved;
  if (!isFullyQualified(path)) {
    resolved = fullPathOf(path);
    if (resolved.empty()) return std::wstring(path);
  }
  const std::wstring_view measured = resolved.empty() ? path : std::wstring_view(resolved);
  const std::size_t length = measured.size() + (use == PathUse::FolderListing ? listingPatternLength(measured) : 0);
  if (length <= kClassicPathMax) return std::wstring(path);
  // The long-path form is taken as it stands, so it must be the folded full path.
  if (resolved.empty()) resolved = fullPathOf(path);
  if (resolved.empty()) return std::wstring(path);
  return longPathForm(resolved);
}
