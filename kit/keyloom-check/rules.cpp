#include "rules.h"

#include <array>
#include <utility>

namespace keyloom_check::rules {
namespace {

struct Rule {
  const char* id;
  bool prefix;
  const char* title;
};

constexpr std::array kRules = {
    Rule{kExports, false,
         "the four exports GetInfo, Init, DecryptSingleFile and Finish are there, with undecorated names"},
    Rule{kCrtStatImports, false,
         "no C runtime stat function is imported (on Windows they answer \"not found\" for paths in the long-path "
         "form)"},
    Rule{kInfoTexts, false, "GetInfo fills the record: the name, the description and every option's texts are there"},
    Rule{kOptionIds, false, "option ids are unique and none is 0, 1, 2 or 3 (the tool's own)"},
    Rule{kInitMissingTestFolder, false,
         "Init refuses a test folder that is required and missing, with a UTF-8 error text"},
    Rule{kInitValid, false, "Init succeeds with valid settings"},
    Rule{kInitParamsKept, false, "InitParams is not used after Init returned (the record is gone by then)"},
    Rule{kForeignPrefix, true,
         "a file that is not the family's is answered NotEncrypted or Failed, left byte for byte as it was, "
         "and nothing new appears beside it"},
    Rule{kSamplesLayout, false, "the samples folder is laid out as the guide describes"},
    Rule{kSamplePrefix, true,
         "a sample is answered Decrypted, its encrypted file stays unchanged, and a new file beside it holds the "
         "clean content"},
    Rule{kInterruptedWrite, false,
         "after a run killed in the middle of writing a clean copy, the next run restores the file in full and no "
         "part-written file stays to be taken for a restored one"},
    Rule{kFullDiskMidWrite, false,
         "a disk that fills in the middle of writing gives NoDiskSpace, and the file an earlier run restored stays "
         "whole (with Replace checked too), with nothing new beside it"},
    Rule{kResultRange, false, "DecryptSingleFile returns only the results 0 to 3"},
    Rule{kNoExceptions, false, "no exception escapes a call into the library"},
    Rule{kFinishReturns, false, "Finish returns"},
    Rule{kNoLogAfterFinish, false, "no log line after Finish returned"},
    Rule{kTextsStable, false, "the texts GetInfo gave stay the same after every later call"},
};

int find(std::string_view id) {
  for (size_t i = 0; i < kRules.size(); ++i) {
    const std::string_view ruleId = kRules[i].id;
    if (kRules[i].prefix ? id.starts_with(ruleId) : id == ruleId) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

std::string title(std::string_view id) {
  const int index = find(id);
  return index < 0 ? std::string(id) : kRules[static_cast<size_t>(index)].title;
}

int rank(std::string_view id) {
  const int index = find(id);
  return index < 0 ? static_cast<int>(kRules.size()) : index;
}

}  // namespace keyloom_check::rules
