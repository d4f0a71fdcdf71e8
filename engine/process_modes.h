// How the process meets the file system, set once at start-up before any path is touched:
// - no critical-error boxes: a drive that is not ready (an empty card-reader slot) answers ERROR_NOT_READY to
//   the call instead of raising the system's box, which nobody may be there to answer (a fleet tool runs the
//   program as the system account) while the scan waits for it. The flags the process already had, such as
//   those inherited from the program that started it, are kept;
// - placeholders as they are: Windows may show a program cloud-file placeholders disguised as plain files,
//   without their reparse point and offline bits, and the scan must see those to pass over files whose data
//   is not here (listing_rule.h). The call exists from Windows 10 version 1803 on and is looked up at run time.
#pragma once

#include <cstdint>
#include <functional>

// SetErrorMode's flag and RtlSetProcessPlaceholderCompatibilityMode's values, as the system's headers have them.
inline constexpr unsigned kFailCriticalErrors = 0x1;  // SEM_FAILCRITICALERRORS
inline constexpr int8_t kExposePlaceholders = 2;      // PHCM_EXPOSE_PLACEHOLDERS

struct ProcessModeCalls {
  std::function<unsigned()> getErrorMode;
  std::function<unsigned(unsigned mode)> setErrorMode;
  // Answers the previous mode, or a negative PHCM_ERROR_ value; empty where the system has no such call.
  std::function<int8_t(int8_t mode)> setPlaceholderMode;
};

struct ProcessModes {
  unsigned errorMode = 0;          // the error mode set
  bool placeholdersShown = false;  // the placeholder mode was set
};

ProcessModes setFileSystemModes(const ProcessModeCalls& calls);

// The same with the system's calls.
ProcessModes setFileSystemModes();
