// When a path must be given to the system in its long-path form. Without the long-path form, Windows
// refuses file paths of MAX_PATH (260) characters or more, terminating NUL included, unless the machine
// has long paths turned on and the program opts in. A scan must never depend on that setting, so a path
// too long for the classic limit goes to the system, and to the library, as "\\?\C:\..." or
// "\\?\UNC\server\share\...". Shorter paths stay exactly as given.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// The longest path the classic limit admits: MAX_PATH less the terminating NUL.
inline constexpr std::size_t kClassicPathMax = 259;

enum class PathUse {
  File,           // a file opened or handed to the library: the path itself counts
  FolderListing,  // a folder listed through "<folder>\*": the listing pattern counts
};

// The system's absolute form of a path (what GetFullPathNameW gives): a relative or drive-relative path
// resolved against the current folders, "." and ".." folded, slashes turned into backslashes. Empty when
// it cannot be resolved.
using FullPathOf = std::function<std::wstring(std::wstring_view path)>;

// True for a path that names its drive or server and its root, so the system uses it as it stands
// ("C:\...", "\\server\share\..."); false for "docs\x", "C:docs" and "\docs".
bool isFullyQualified(std::wstring_view path);

// True for a path already in a form the system takes without its classic limit ("\\?\", "\\.\", "\??\").
bool hasLongPathPrefix(std::wstring_view path);

// The long-path form of a full path: "C:\x" becomes "\\?\C:\x", "\\server\share\x" becomes
// "\\?\UNC\server\share\x".
std::wstring longPathForm(std::wstring_view fullPath);

// The path to hand to the system for `use`: `path` unchanged while it (or, for a folder, its listing
// pattern) fits the classic limit once resolved, else the long-path form of its full path.
// fullPathOf is asked only for paths that are not fully qualified or that need the long form.
std::wstring systemPathFor(std::wstring_view path, PathUse use, const FullPathOf& fullPathOf);
