#include "foreign_files.h"

#include <fmt/format.h>
#include <random>

#include "rules.h"
#include "text.h"

namespace keyloom_check {
namespace {

std::string randomBytes(size_t size, unsigned seed) {
  std::mt19937 generator(seed);  // fixed seed: the same files on every run, so reports can be compared
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(generator() & 0xFF);
  return bytes;
}

std::string textLines() {
  std::string text;
  for (int i = 1; i <= 30; ++i) text += fmt::format("Line {} of a plain text file that no family encrypted.\r\n", i);
  return text;
}

std::string extensionId(const std::wstring& extension, size_t count) {
  std::string id = std::string(rules::kForeignPrefix) + "extension";
  if (count > 1) {
    id += '-';
    id += utf8FromWide(extension.substr(1));
  }
  return id;
}

}  // namespace

std::vector<ForeignFile> foreignFiles(const std::vector<std::wstring>& familyExtensions) {
  const std::string prefix = rules::kForeignPrefix;
  std::vector<ForeignFile> files = {
      {prefix + "random", "random bytes", L"random.bin", randomBytes(4096, 1), false},
      {prefix + "empty", "an empty file", L"empty.dat", "", false},
      {prefix + "text", "plain text", L"notes.txt", textLines(), false},
      {prefix + "read-only", "a read-only file", L"read-only.txt", textLines(), true},
      // Cyrillic, Chinese and Greek together fit no ANSI code page: a library that narrows paths fails here.
      {prefix + "unicode-name", "a name outside the ANSI code page",
       L"\u0444\u0430\u0439\u043b-\u6587\u4ef6-\u03a9.txt", textLines(), false},
  };
  for (const std::wstring& extension : familyExtensions) {
    files.push_back({extensionId(extension, familyExtensions.size()),
                     "garbage with the family's extension " + utf8FromWide(extension), L"garbage" + extension,
                     randomBytes(2048, 2), false});
  }
  return files;
}

Row extensionUnknownRow() {
  const std::string id = std::string(rules::kForeignPrefix) + "extension";
  return Row{id, rules::title(id), Status::Skipped,
             "no samples were given, so the family's extension is unknown: give --samples to check garbage with it"};
}

Row judgeForeign(const ForeignFile& file, const CallResult& result, const Snapshot& before, const Snapshot& after) {
  Row row{file.id, rules::title(file.id), Status::Passed, ""};
  const std::string name = utf8FromWide(file.name);
  std::vector<std::string> problems;
  if (!result.threw && result.code == 1) {
    problems.push_back("answered Decrypted, after which the tool deletes the file: a user would lose it");
  } else if (!result.threw && result.code == 2) {
    problems.push_back("answered NoDiskSpace, after which the tool gives up the rest of the drive");
  }
  for (const std::string& change : describeChanges(before, after)) problems.push_back(change);

  const std::string answer = result.threw ? "threw (see no-exceptions)" : "answered " + resultName(result.code);
  if (problems.empty()) {
    row.detail = fmt::format("{} ({}): {}, left as it was", name, file.what, answer);
    return row;
  }
  row.status = Status::Failed;
  row.detail = fmt::format("{} ({}): ", name, file.what);
  for (size_t i = 0; i < problems.size(); ++i) row.detail += (i ? "; " : "") + problems[i];
  return row;
}

}  // namespace keyloom_check
