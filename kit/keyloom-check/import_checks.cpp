#include "import_checks.h"

#include <algorithm>
#include <cctype>
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <map>
#include <vector>

#include "rules.h"

namespace keyloom_check {
namespace {

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// msvcrt.dll (the one the toolchain rule allows), the numbered msvcrNN.dll, and the universal C runtime
// whether bound directly or through its api-ms-win-crt-* sets.
bool isCrtLibrary(const std::string& library) {
  const std::string name = lowered(library);
  return name.starts_with("msvcr") || name.starts_with("ucrtbase") || name.starts_with("api-ms-win-crt-");
}

bool consume(std::string_view& text, std::string_view part) {
  if (!text.starts_with(part)) return false;
  text.remove_prefix(part.size());
  return true;
}

Row row(Status status, std::string detail) {
  return Row{rules::kCrtStatImports, rules::title(rules::kCrtStatImports), status, std::move(detail)};
}

}  // namespace

bool isCrtStatImport(const ImportedFunction& function) {
  if (!isCrtLibrary(function.library)) return false;
  // _[w]stat[32|64][i32|i64]: every width of time and size the runtimes name.
  std::string_view name = function.name;
  if (!consume(name, "_")) return false;
  consume(name, "w");
  if (!consume(name, "stat")) return false;
  if (!consume(name, "32")) consume(name, "64");
  if (!consume(name, "i32")) consume(name, "i64");
  return name.empty();
}

Row checkCrtStatImports(std::string_view libraryFile) {
  std::vector<ImportedFunction> imports;
  std::string error;
  if (!readImports(libraryFile, imports, error)) {
    return row(Status::Skipped, "the library's import table could not be read: " + error);
  }
  std::map<std::string, std::vector<std::string>> found;  // DLL -> stat functions it gives
  for (const ImportedFunction& function : imports) {
    if (isCrtStatImport(function)) found[function.library].push_back(function.name);
  }
  if (found.empty()) return row(Status::Passed, "");
  std::vector<std::string> named;
  for (const auto& [library, names] : found) {
    named.push_back(fmt::format("{} from {}", fmt::join(names, ", "), library));
  }
  return row(Status::Warning,
             fmt::format("the library imports {}, through which std::filesystem's queries go (exists, status, "
                         "is_regular_file, is_directory, file_size, remove, a directory_iterator entry's status, ...). "
                         "On Windows these answer \"not found\" for every path in the long-path form \\\\?\\..., the "
                         "form of every file of a scan of all drives, of deep files and of names ending in a dot or a "
                         "space: the queries fail there and remove deletes nothing, although under Wine they work and "
                         "every check here passes. Ask the system with the exact path given (GetFileAttributesW, "
                         "CreateFileW, FindFirstFileExW, DeleteFileW): docs/library-authors.md, section 5",
                         fmt::join(named, "; ")));
}

}  // namespace keyloom_check
