#include "engine/long_path.h"

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "\*" after a folder, or only "*" when the folder already ends with a separator.
std::size_t listingPatternLength(std::wstring_view folder) {
  return !folder.empty() && isSeparator(folder.back()) ? 1 : 2;
}

}  // namespace

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
  // The system measures a relative path once it has joined it to the current folder.
  std::wstring resolved;
  if (!isFullyQualified(path)) {
    resolved = fullPathOf(path);
    if (resolved.empty()) return std::wstring(path);
  }
  const std::wstring_view measured = resolved.empty() ? path : std::wstring_view(resolved);
  const std::size_t length =
      measured.size() + (use == PathUse::FolderListing ? listingPatternLength(measured) : 0);
  if (length <= kClassicPathMax) return std::wstring(path);
  // The long-path form is taken as it stands, so it must be the folded full path.
  if (resolved.empty()) resolved = fullPathOf(path);
  if (resolved.empty()) return std::wstring(path);
  return longPathForm(resolved);
}
