#include "engine/process_modes.h"

ProcessModes setFileSystemModes(const ProcessModeCalls& calls) {
  ProcessModes set;
  set.errorMode = calls.getErrorMode() | kFailCriticalErrors;
  calls.setErrorMode(set.errorMode);
  if (calls.setPlaceholderMode) set.placeholdersShown = calls.setPlaceholderMode(kExposePlaceholders) >= 0;
  return set;
}
