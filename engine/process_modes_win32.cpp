// The system's calls behind process_modes.h.
#include <windows.h>

#include "engine/process_modes.h"

ProcessModes setFileSystemModes() {
  using PlaceholderModeFunction = CHAR(NTAPI*)(CHAR);
  const auto setPlaceholderMode = reinterpret_cast<PlaceholderModeFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlSetProcessPlaceholderCompatibilityMode")));
  ProcessModeCalls calls;
  calls.getErrorMode = [] { return GetErrorMode(); };
  calls.setErrorMode = [](unsigned mode) { return SetErrorMode(mode); };
  if (setPlaceholderMode) {
    calls.setPlaceholderMode = [setPlaceholderMode](int8_t mode) {
      return static_cast<int8_t>(setPlaceholderMode(static_cast<CHAR>(mode)));
    };
  }
  return setFileSystemModes(calls);
}
