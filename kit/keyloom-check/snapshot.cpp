#include "snapshot.h"

#include "text.h"

namespace keyloom_check {
namespace {

const char* kindWord(EntryState::Kind kind) {
  switch (kind) {
    case EntryState::File:
      return "file";
    case EntryState::Folder:
      return "folder";
    case EntryState::Link:
      return "link";
  }
  return "entry";
}

}  // namespace

std::vector<std::string> describeChanges(const Snapshot& before, const Snapshot& after) {
  std::vector<std::string> changes;
  for (const auto& [path, was] : before) {
    const std::string name = utf8FromWide(path);
    const auto now = after.find(path);
    if (now == after.end()) {
      changes.push_back(name + " was deleted");
    } else if (now->second.kind != was.kind) {
      changes.push_back(name + " was replaced by a " + kindWord(now->second.kind));
    } else if (now->second.size != was.size || now->second.hash != was.hash) {
      changes.push_back(name + " was changed");
    } else if (now->second.readOnly != was.readOnly) {
      changes.push_back(name + (was.readOnly ? " lost its read-only attribute" : " was made read-only"));
    }
  }
  for (const std::wstring& path : newEntries(before, after)) {
    changes.push_back(std::string("new ") + kindWord(after.at(path).kind) + " " + utf8FromWide(path) + " appeared");
  }
  return changes;
}

std::vector<std::wstring> newEntries(const Snapshot& before, const Snapshot& after) {
  std::vector<std::wstring> added;
  for (const auto& [path, state] : after) {
    if (!before.contains(path)) added.push_back(path);
  }
  return added;
}

}  // namespace keyloom_check
