#include <windows.h>

#include <fmt/format.h>
#include <system_error>

#include "command_line/path_check.h"
#include "engine/folder_system.h"
#include "engine/long_path.h"
#include "text/encodings.h"

PathCheck checkPathExists(const std::wstring& path) {
  // Asked the way the scan will ask: a deep path, or one with a name ending in a dot or a space, in the
  // long-path form, which needs no long-path setting and keeps such names exact.
  const std::wstring forSystem = systemPathFor(path, PathUse::File, systemFullPathOf);
  if (GetFileAttributesW(forSystem.c_str()) != INVALID_FILE_ATTRIBUTES) return {true, {}};
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_BAD_NETPATH ||
      error == ERROR_INVALID_NAME) {
    return {false, {}};
  }
  return {false, fmt::format("Could not check whether \"{}\" exists: {}", text::ansi_from_wide(path),
                             std::system_category().message(static_cast<int>(error)))};
}
