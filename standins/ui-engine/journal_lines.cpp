#include "standins/ui-engine/journal_lines.h"

#include <fstream>
#include <sstream>

#include "support/fnv1a.h"

namespace standin {

std::string journal_line(std::string_view call, const json& arguments) {
  return std::string(call) + " " + arguments.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

std::vector<JournalEntry> parse_journal(std::string_view text) {
  std::vector<JournalEntry> entries;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    const size_t space = line.find(' ');
    JournalEntry entry{line.substr(0, space), json::object()};
    if (space != std::string::npos) entry.args = json::parse(line.substr(space + 1), nullptr, false);
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<JournalEntry> read_journal(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return parse_journal(text.str());
}

std::vector<JournalEntry> entries_of(const std::vector<JournalEntry>& journal, std::string_view call, size_t from) {
  std::vector<JournalEntry> found;
  for (size_t i = from; i < journal.size(); ++i)
    if (journal[i].call == call) found.push_back(journal[i]);
  return found;
}

std::string journal_digest(std::string_view bytes) { return support::fnv1a64_hex(bytes); }

}  // namespace standin
