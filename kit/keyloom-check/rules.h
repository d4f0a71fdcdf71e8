// The checks, by id, with the rule each one stands for. Per-file checks add a suffix to a base id
// ("foreign-text", "sample-letter").
#pragma once

#include <string>
#include <string_view>

namespace keyloom_check::rules {

inline constexpr const char* kExports = "exports";
inline constexpr const char* kCrtStatImports = "crt-stat-imports";
inline constexpr const char* kInfoTexts = "info-texts";
inline constexpr const char* kOptionIds = "option-ids";
inline constexpr const char* kInitMissingTestFolder = "init-missing-test-folder";
inline constexpr const char* kInitValid = "init-valid";
inline constexpr const char* kInitParamsKept = "init-params-kept";
inline constexpr const char* kForeignPrefix = "foreign-";
inline constexpr const char* kSamplesLayout = "samples-layout";
inline constexpr const char* kSamplePrefix = "sample-";
inline constexpr const char* kInterruptedWrite = "interrupted-write";
inline constexpr const char* kFullDiskMidWrite = "full-disk-mid-write";
inline constexpr const char* kResultRange = "result-range";
inline constexpr const char* kNoExceptions = "no-exceptions";
inline constexpr const char* kFinishReturns = "finish-returns";
inline constexpr const char* kNoLogAfterFinish = "no-log-after-finish";
inline constexpr const char* kTextsStable = "texts-stable";

// The rule in words; per-file checks get the base id's title.
std::string title(std::string_view id);

// Position in the report: the order in which the tool meets each rule.
int rank(std::string_view id);

}  // namespace keyloom_check::rules
