// The stand-in's own tests: one journal file for the test program, named before the first journal line.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "standins/ui-engine/journal_lines.h"

namespace standin_test {

inline std::filesystem::path journal_file() {
  static const std::filesystem::path file = [] {
    auto path = std::filesystem::temp_directory_path() /
                ("standin-test-journal-" + std::to_string(GetCurrentProcessId()) + ".txt");
    std::filesystem::remove(path);
    SetEnvironmentVariableW(L"STANDIN_ENGINE_JOURNAL", path.c_str());
    return path;
  }();
  return file;
}

// The journal's entries of one call, from the given position on.
inline std::vector<standin::JournalEntry> entries_of(const std::string& call, size_t from = 0) {
  return standin::entries_of(standin::read_journal(journal_file()), call, from);
}

inline size_t journal_size() { return standin::read_journal(journal_file()).size(); }

}  // namespace standin_test
