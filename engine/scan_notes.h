// What a scan met besides the library's answers, and the lines that tell the user about it: files whose
// data is not on this computer, folders that could not be searched, folders passed over for lack of access.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How many folders, and the first few, as the walk spelled them.
struct NamedFolders {
  static constexpr size_t kNamed = 3;
  uint64_t count = 0;
  std::vector<std::wstring> first;

  void add(const std::wstring& folder) {
    ++count;
    if (first.size() < kNamed) first.push_back(folder);
  }
};

struct ScanTally {
  uint64_t notHere = 0;          // files passed over: their data is elsewhere (cloud-only, offline storage)
  NamedFolders notSearched;      // folders whose listing failed or broke off: the run cannot call itself done
  NamedFolders denied;           // folders passed over for lack of access, as every machine has some
  uint64_t removalsRefused = 0;  // decrypted files whose encrypted copy could not be removed
};

// Info lines for the outcome, in order; none when the scan met nothing of the kind. ANSI code page.
std::vector<std::string> scanNoteLines(const ScanTally& tally);

// The Debug line about folders denied for lack of access; empty when there were none.
std::string deniedFoldersLine(const ScanTally& tally);
