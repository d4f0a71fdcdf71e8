// The author's samples: encrypted files of the family with their expected clean copies.
// Layout: every subfolder of the samples folder is one sample, named freely, holding
//   encrypted\<one file>   the encrypted file, under the name the family gave it
//   clean\<one file>       the content the library must restore from it
// Files directly inside the samples folder are ignored (room for notes).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "call_result.h"
#include "check_row.h"
#include "snapshot.h"

namespace keyloom_check {

struct FolderEntry {
  std::wstring name;
  bool isFolder = false;
};

struct FolderReader {
  std::function<bool(const std::wstring& folder, std::vector<FolderEntry>& entries)> list;
  std::function<bool(const std::wstring& path, std::string& bytes)> read;
};

struct SampleCase {
  std::string id;  // "sample-<folder name>"
  std::wstring folderName;
  std::wstring encryptedName;
  std::string encrypted;
  std::string clean;
};

struct SampleSet {
  std::vector<SampleCase> cases;
  std::vector<std::string> problems;  // layout faults, one sentence each
};

SampleSet loadSamples(const std::wstring& samplesFolder, const FolderReader& reader);

// The distinct extensions (".kyl") of the samples' encrypted files, in order of first appearance.
std::vector<std::wstring> sampleExtensions(const SampleSet& samples);

Row samplesLayoutRow(const SampleSet& samples);

// before/after: the sample's own folder, holding only its encrypted file before the call.
Row judgeSample(const SampleCase& sample, const CallResult& result, const Snapshot& before, const Snapshot& after);

// The sample the write checks restore: the one with the most clean content, so that its writing takes
// more than one write where the library writes in chunks. Null when there is none.
const SampleCase* sampleForWriteChecks(const SampleSet& samples);

// The entry of after that holds the sample's clean content, other than its encrypted file; empty when none.
std::wstring restoredEntry(const SampleCase& sample, const Snapshot& after);

// The next run after one killed in the middle of a write: its answer, and the sample's folder afterwards (the
// encrypted file and whatever the killed run left).
Row judgeAfterInterruption(const SampleCase& sample, const CallResult& result, const Snapshot& after);

// A restore while the disk fills, with Replace checked: before holds the encrypted file and the file the
// first restore wrote (restored).
Row judgeFullDisk(const SampleCase& sample, const CallResult& result, const Snapshot& before, const Snapshot& after,
                  const std::wstring& restored);

}  // namespace keyloom_check
