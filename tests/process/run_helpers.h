// Shared steps of the tests that run the decryption engine through recovery-tool.exe.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/process/harness.h"

namespace run_helpers {

namespace fs = std::filesystem;
using harness::json;

// The scenario line that closes the window once the run has shown its final step.
inline constexpr const char* kCloseAtFinalStep = "on call showFinalStep close\n";

// Creates the files (names relative to the folder) with a little content each.
inline void make_files(const fs::path& folder, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    fs::create_directories((folder / name).parent_path());
    harness::write_file(folder / name, "content of " + name);
  }
}

// File names in the order the system lists the folder, which is the order a scan visits them.
inline std::vector<std::string> listing_order(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  return names;
}

// The arguments of each call of one page function, in order.
inline std::vector<json> page_args(const harness::ToolResult& result, const std::string& function) {
  std::vector<json> out;
  for (const auto& e : result.calls("SciterCall")) {
    if (e.args.value("name", "") == function) out.push_back(e.args["args"]);
  }
  return out;
}

// The calls the library received, by their first field ("Init", "DecryptSingleFile", ...).
inline std::vector<std::string> library_calls_named(const harness::ToolResult& result, const std::string& name) {
  std::vector<std::string> out;
  for (const std::string& line : result.library_calls()) {
    if (line == name || line.rfind(name + "\t", 0) == 0) out.push_back(line);
  }
  return out;
}

inline bool contains(const std::vector<std::string>& lines, const std::string& wanted) {
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

// A JSON string literal for a scenario line.
inline std::string json_text(const std::string& text) { return json(text).dump(); }

}  // namespace run_helpers
