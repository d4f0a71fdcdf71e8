#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "engine/process_modes.h"

namespace {

// The process's modes as Windows keeps them: SetErrorMode replaces the whole mode and answers the old one.
struct FakeProcess {
  unsigned errorMode = 0;
  int8_t placeholderMode = 0;  // PHCM_APPLICATION_DEFAULT
  std::vector<int8_t> placeholderCalls;

  ProcessModeCalls calls(bool hasPlaceholderCall, int8_t placeholderAnswer = 0) {
    ProcessModeCalls c;
    c.getErrorMode = [this] { return errorMode; };
    c.setErrorMode = [this](unsigned mode) { return std::exchange(errorMode, mode); };
    if (hasPlaceholderCall) {
      c.setPlaceholderMode = [this, placeholderAnswer](int8_t mode) {
        placeholderCalls.push_back(mode);
        if (placeholderAnswer < 0) return placeholderAnswer;
        return std::exchange(placeholderMode, mode);
      };
    }
    return c;
  }
};

TEST(ProcessModes, CriticalErrorBoxesOffKeepingTheInheritedFlagsAndPlaceholdersShownWhereTheSystemCan) {
  const struct {
    const char* name;
    unsigned inherited;
    bool hasPlaceholderCall;
    int8_t placeholderAnswer;
    unsigned errorMode;
    bool placeholdersShown;
  } cases[] = {
      {"a fresh process on Windows 10 1803 or later", 0, true, 1, 0x1, true},
      {"started by a tool that turned error reporting off", 0x8002, true, 0, 0x8003, true},
      {"an older Windows without the placeholder call", 0x2, false, 0, 0x3, false},
      {"the placeholder call refuses (PHCM_ERROR_NO_TEB)", 0, true, -2, 0x1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeProcess process;
    process.errorMode = c.inherited;
    const ProcessModes set = setFileSystemModes(process.calls(c.hasPlaceholderCall, c.placeholderAnswer));
    EXPECT_EQ(process.errorMode, c.errorMode);
    EXPECT_EQ(set.errorMode, c.errorMode);
    EXPECT_EQ(set.placeholdersShown, c.placeholdersShown);
    EXPECT_EQ(process.placeholderCalls,
              c.hasPlaceholderCall ? std::vector<int8_t>{kExposePlaceholders} : std::vector<int8_t>{});
  }
}

}  // namespace
