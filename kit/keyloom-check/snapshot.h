// What a folder held at one moment, to tell afterwards what a call into the library changed there.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace keyloom_check {

struct EntryState {
  enum Kind { File, Folder, Link } kind = File;
  uint64_t size = 0;
  uint64_t hash = 0;  // support::fnv1a64 of a file's bytes
  bool readOnly = false;
  bool operator==(const EntryState&) const = default;
};

// Entries by path relative to the folder, '\\' between names; links are recorded, never followed.
using Snapshot = std::map<std::wstring, EntryState>;

// One sentence per difference, e.g. "notes.txt was deleted", "new file notes.txt.out appeared".
std::vector<std::string> describeChanges(const Snapshot& before, const Snapshot& after);

// Entries of after that before did not have.
std::vector<std::wstring> newEntries(const Snapshot& before, const Snapshot& after);

}  // namespace keyloom_check
