#include "folder_files.h"

#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

namespace uiarchive {
namespace {

namespace fs = std::filesystem;

std::string utf8_path(const fs::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

std::vector<std::uint8_t> read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + utf8_path(path));
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw std::runtime_error("cannot read " + utf8_path(path));
  return bytes;
}

}  // namespace

std::vector<ArchiveFile> collect_ui_files(const fs::path& root, const std::vector<std::string>& subfolders) {
  const fs::path base = fs::absolute(root).lexically_normal();
  std::set<std::string> seen;
  std::vector<ArchiveFile> files;

  for (const auto& subfolder : subfolders) {
    const fs::path folder = (base / fs::path(subfolder)).lexically_normal();
    const std::string inside = utf8_path(folder.lexically_relative(base));
    if (inside.empty() || inside == ".." || inside.starts_with("../"))
      throw std::runtime_error("subfolder outside the UI root: " + subfolder);
    if (!fs::is_directory(folder)) throw std::runtime_error("not a folder: " + utf8_path(folder));

    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (!entry.is_regular_file()) continue;
      std::string path = utf8_path(entry.path().lexically_relative(base));
      if (seen.insert(path).second) files.push_back({std::move(path), read_file(entry.path())});
    }
  }
  return files;
}

}  // namespace uiarchive
