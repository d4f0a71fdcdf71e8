// When a path must be given to the system in its long-path form ("\\?\C:\..." or
// "\\?\UNC\server\share\..."), which the system takes as it stands. Two reasons call for it:
// - Length: without the long-path form, Windows refuses file paths of MAX_PATH (260) characters or more,
//   terminating NUL included, unless the machine has long paths turned on and the program opts in. A scan
//   must never depend on that setting.
// - Names that end with a dot or a space ("dir.", "a.locked.", "notes "): the classic path rules drop
//   those characters, so "D:\dir.\a" names "D:\dir\a", a different file or none at all. Such names reach
//   the system exactly only in the long-path form, whose full path is then built here with every name kept.
// Paths with neither reason stay exactly as given, for the system and for the library.
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

// True when some name of the path ends with a dot or a space; "." and ".." are folder steps, not names.
bool hasNameEndingInDotOrSpace(std::wstring_view path);

// The full path with every name kept as written: a relative, drive-relative ("C:docs") or root-relative
// ("\docs") path joined to the current folder it starts from (the only thing fullPathOf is asked), "." and
// ".." folded, separators made backslashes. The system's own resolution would drop trailing dots and
// spaces. Empty when the start cannot be resolved.
std::wstring fullPathKeepingNames(std::wstring_view path, const FullPathOf& fullPathOf);

// A path made independent of the working directory, once: a fully qualified path, or one in a long-path
// form, as given; any other resolved with fullPathKeepingNames (as given when that fails).
std::wstring anchoredPath(std::wstring_view path, const FullPathOf& fullPathOf);

// The path to hand to the system for `use`: `path` unchanged while it (or, for a folder, its listing
// pattern) fits the classic limit once resolved and none of its names ends with a dot or a space, else the
// long-path form of its full path. fullPathOf is asked only for paths that are not fully qualified or that
// need the long form; for a path with such a name it resolves only the current folder the path starts from.
std::wstring systemPathFor(std::wstring_view path, PathUse use, const FullPathOf& fullPathOf);
