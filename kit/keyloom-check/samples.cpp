#include "samples.h"

#include <algorithm>
#include <fmt/format.h>
#include <fmt/ranges.h>

#include "engine/library_abi.h"
#include "rules.h"
#include "support/fnv1a.h"
#include "text.h"

namespace keyloom_check {
namespace {

// The one file of a sample's part, or a sentence saying why there is none.
bool onlyFile(const std::wstring& folder, const std::wstring& caseName, const wchar_t* part, const FolderReader& reader,
              std::wstring& name, std::vector<std::string>& problems) {
  std::vector<FolderEntry> entries;
  const std::string where = utf8FromWide(caseName) + "\\" + utf8FromWide(part);
  if (!reader.list(folder, entries)) {
    problems.push_back(fmt::format("sample {}: the folder {} is missing", utf8FromWide(caseName), where));
    return false;
  }
  const size_t files = std::count_if(entries.begin(), entries.end(), [](const FolderEntry& e) { return !e.isFolder; });
  if (files != 1 || entries.size() != 1) {
    problems.push_back(fmt::format("sample {}: {} must hold exactly one file, it holds {} entries",
                                   utf8FromWide(caseName), where, entries.size()));
    return false;
  }
  name = entries.front().name;
  return true;
}

}  // namespace

SampleSet loadSamples(const std::wstring& samplesFolder, const FolderReader& reader) {
  SampleSet set;
  std::vector<FolderEntry> cases;
  if (!reader.list(samplesFolder, cases)) {
    set.problems.push_back("the samples folder " + utf8FromWide(samplesFolder) + " cannot be listed");
    return set;
  }
  std::sort(cases.begin(), cases.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  for (const FolderEntry& entry : cases) {
    if (!entry.isFolder) continue;
    const std::wstring caseFolder = samplesFolder + L"\\" + entry.name;
    SampleCase sample{std::string(rules::kSamplePrefix) + utf8FromWide(entry.name), entry.name, L"", "", ""};
    std::wstring cleanName;
    const bool found =
        onlyFile(caseFolder + L"\\encrypted", entry.name, L"encrypted", reader, sample.encryptedName, set.problems) &
        onlyFile(caseFolder + L"\\clean", entry.name, L"clean", reader, cleanName, set.problems);
    if (!found) continue;
    if (!reader.read(caseFolder + L"\\encrypted\\" + sample.encryptedName, sample.encrypted) ||
        !reader.read(caseFolder + L"\\clean\\" + cleanName, sample.clean)) {
      set.problems.push_back(fmt::format("sample {}: its files cannot be read", utf8FromWide(entry.name)));
      continue;
    }
    set.cases.push_back(std::move(sample));
  }
  if (set.cases.empty() && set.problems.empty()) {
    set.problems.push_back("the samples folder holds no sample (a subfolder with encrypted\\ and clean\\)");
  }
  return set;
}

std::vector<std::wstring> sampleExtensions(const SampleSet& samples) {
  std::vector<std::wstring> extensions;
  for (const SampleCase& sample : samples.cases) {
    const size_t dot = sample.encryptedName.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0) continue;
    const std::wstring extension = sample.encryptedName.substr(dot);
    if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) extensions.push_back(extension);
  }
  return extensions;
}

Row samplesLayoutRow(const SampleSet& samples) {
  Row row{rules::kSamplesLayout, rules::title(rules::kSamplesLayout), Status::Passed,
          fmt::format("{} sample(s)", samples.cases.size())};
  if (!samples.problems.empty()) {
    row.status = Status::Failed;
    row.detail = fmt::format("{}", fmt::join(samples.problems, "; "));
  }
  return row;
}

Row judgeSample(const SampleCase& sample, const CallResult& result, const Snapshot& before, const Snapshot& after) {
  Row row{sample.id, rules::title(sample.id), Status::Passed, ""};
  const std::string name = utf8FromWide(sample.encryptedName);
  std::vector<std::string> problems;
  if (result.threw) {
    problems.push_back("threw instead of answering Decrypted (see no-exceptions)");
  } else if (result.code != 1) {
    problems.push_back("answered " + resultName(result.code) + " instead of Decrypted");
  }
  const auto was = before.find(sample.encryptedName);
  const auto now = after.find(sample.encryptedName);
  if (now == after.end()) {
    problems.push_back(
        "the encrypted file is gone: only the tool removes it, and only when the user did not choose "
        "Backup");
  } else if (was != before.end() && !(now->second == was->second)) {
    problems.push_back("the encrypted file was changed: if the clean copy is wrong, the user has nothing left");
  }
  std::string restoredAs;
  std::vector<std::string> others;
  for (const std::wstring& added : newEntries(before, after)) {
    const EntryState& state = after.at(added);
    if (restoredAs.empty() && state.kind == EntryState::File && state.size == sample.clean.size() &&
        state.hash == support::fnv1a64(sample.clean)) {
      restoredAs = utf8FromWide(added);
    } else {
      others.push_back(utf8FromWide(added));
    }
  }
  if (restoredAs.empty()) {
    problems.push_back(others.empty() ? std::string("no new file appeared beside it")
                                      : fmt::format("new entries {} appeared, none holding the clean content",
                                                    fmt::join(others, ", ")));
  }
  if (problems.empty()) {
    row.detail = fmt::format("{}: answered Decrypted, clean copy written as {}", name, restoredAs);
    if (!others.empty()) row.detail += fmt::format("; also new: {}", fmt::join(others, ", "));
    return row;
  }
  row.status = Status::Failed;
  row.detail = fmt::format("{}: {}", name, fmt::join(problems, "; "));
  return row;
}

const SampleCase* sampleForWriteChecks(const SampleSet& samples) {
  const SampleCase* chosen = nullptr;
  for (const SampleCase& sample : samples.cases) {
    if (!chosen || sample.clean.size() > chosen->clean.size()) chosen = &sample;
  }
  return chosen;
}

std::wstring restoredEntry(const SampleCase& sample, const Snapshot& after) {
  for (const auto& [name, state] : after) {
    if (name != sample.encryptedName && state.kind == EntryState::File && state.size == sample.clean.size() &&
        state.hash == support::fnv1a64(sample.clean))
      return name;
  }
  return {};
}

namespace {

// The encrypted file must be there as it was: the tool removes it itself, and only after Decrypted.
void checkEncryptedKept(const SampleCase& sample, const Snapshot& after, std::vector<std::string>& problems) {
  const auto now = after.find(sample.encryptedName);
  if (now == after.end()) {
    problems.push_back("the encrypted file is gone");
  } else if (now->second.kind != EntryState::File || now->second.size != sample.encrypted.size() ||
             now->second.hash != support::fnv1a64(sample.encrypted)) {
    problems.push_back("the encrypted file was changed");
  }
}

std::string sizeOf(const EntryState& state) { return fmt::format("{} bytes", state.size); }

}  // namespace

Row judgeAfterInterruption(const SampleCase& sample, const CallResult& result, const Snapshot& after) {
  Row row{rules::kInterruptedWrite, rules::title(rules::kInterruptedWrite), Status::Passed, ""};
  const std::string name = utf8FromWide(sample.encryptedName);
  std::vector<std::string> problems;
  const std::wstring restored = restoredEntry(sample, after);
  std::vector<std::string> partial;
  for (const auto& [entry, state] : after) {
    if (entry == sample.encryptedName || entry == restored || state.kind != EntryState::File) continue;
    if (state.size < sample.clean.size() || state.hash != support::fnv1a64(sample.clean)) {
      partial.push_back(
          fmt::format("{} ({}, the clean content has {})", utf8FromWide(entry), sizeOf(state), sample.clean.size()));
    }
  }
  if (result.threw) {
    problems.push_back("the next run's call threw (see no-exceptions)");
  } else if (result.code != Decrypted) {
    problems.push_back(
        "the next run answered " + resultName(result.code) + " instead of Decrypted" +
        (partial.empty() ? std::string() : ": it took the part-written file of the killed run for a restored one"));
  }
  if (restored.empty()) problems.push_back("no file holds the clean content afterwards");
  if (!partial.empty()) {
    problems.push_back(fmt::format("part-written: {}; a user, or a later run, takes such a file for the restored one",
                                   fmt::join(partial, ", ")));
  }
  checkEncryptedKept(sample, after, problems);
  if (problems.empty()) {
    row.detail = fmt::format("{}: killed in the middle of its first write, then restored in full as {}", name,
                             utf8FromWide(restored));
    return row;
  }
  row.status = Status::Failed;
  row.detail =
      fmt::format("{}, after a run killed in the middle of its first write: {}", name, fmt::join(problems, "; "));
  return row;
}

Row judgeFullDisk(const SampleCase& sample, const CallResult& result, const Snapshot& before, const Snapshot& after,
                  const std::wstring& restored) {
  Row row{rules::kFullDiskMidWrite, rules::title(rules::kFullDiskMidWrite), Status::Passed, ""};
  const std::string name = utf8FromWide(sample.encryptedName);
  std::vector<std::string> problems;
  if (result.threw) {
    problems.push_back("threw (see no-exceptions)");
  } else if (result.code != NoDiskSpace) {
    problems.push_back("answered " + resultName(result.code) +
                       " instead of NoDiskSpace, which tells the tool to stop writing on that drive");
  }
  const auto was = before.find(restored);
  const auto now = after.find(restored);
  if (now == after.end()) {
    problems.push_back(fmt::format("the file an earlier run restored, {}, is gone", utf8FromWide(restored)));
  } else if (was != before.end() && !(now->second == was->second)) {
    problems.push_back(fmt::format("the file an earlier run restored, {}, was changed (now {})", utf8FromWide(restored),
                                   sizeOf(now->second)));
  }
  std::vector<std::string> added;
  for (const std::wstring& entry : newEntries(before, after)) added.push_back(utf8FromWide(entry));
  if (!added.empty()) problems.push_back(fmt::format("left behind: {}", fmt::join(added, ", ")));
  checkEncryptedKept(sample, after, problems);
  if (problems.empty()) {
    row.detail = fmt::format("{}: the disk filled half-way through; answered NoDiskSpace, {} kept whole", name,
                             utf8FromWide(restored));
    return row;
  }
  row.status = Status::Failed;
  row.detail = fmt::format("{}, Replace checked, the disk full half-way through: {}", name, fmt::join(problems, "; "));
  return row;
}

}  // namespace keyloom_check
