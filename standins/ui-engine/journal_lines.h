// The journal's lines, written by the stand-in engine (journal.cpp) and read back by the tests: each line
// is a call's name, a space and its arguments as JSON on one line.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace standin {

using json = nlohmann::ordered_json;

struct JournalEntry {
  std::string call;
  json args;
};

// One line, its end included. Text that is not UTF-8 is replaced, so every line stays valid JSON.
std::string journal_line(std::string_view call, const json& arguments);

// Every line of the journal file in order; none when there is no file. A line with a name alone has {} as
// its arguments; arguments that are not JSON read as a discarded value (is_discarded()).
std::vector<JournalEntry> read_journal(const std::filesystem::path& file);
std::vector<JournalEntry> parse_journal(std::string_view text);

// The entries of one call, in order, from the entry at the given position on.
std::vector<JournalEntry> entries_of(const std::vector<JournalEntry>& journal, std::string_view call, size_t from = 0);

// How the journal fingerprints bytes the engine received, so that a test can compare them without the
// bytes in the journal: FNV-1a 64 as 16 hexadecimal digits.
std::string journal_digest(std::string_view bytes);

}  // namespace standin
