#pragma once

#include "archive_format.h"

#include <filesystem>
#include <string>
#include <vector>

namespace uiarchive {

// Reads every regular file under the given subfolders of `root`, each with its path relative to `root`
// ("/" separators, UTF-8). A file reached through two overlapping subfolders is read once.
// Throws std::runtime_error when a subfolder is missing or lies outside `root`, or a file cannot be read.
std::vector<ArchiveFile> collect_ui_files(const std::filesystem::path& root,
                                          const std::vector<std::string>& subfolders);

}  // namespace uiarchive
