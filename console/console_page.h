// The page as a console run has it: there is none. The tool information and the run's page calls go
// nowhere; the outcome reaches the console program through its observer (run_tally.h) instead, and the
// progress line is drawn from the counters.
#pragma once

#include "engine/run_page.h"

class ConsolePage : public RunPage {
 public:
  bool closed() const override { return false; }
  void disableScanPath() override {}
  void disableTestPath() override {}
  void disableBackup() override {}
  void disableWholeScan() override {}
  void disableOverwrite() override {}
  void disableAdvancedOptions() override {}
  void addOptions(const std::vector<ToolOption>&) override {}
  void setRansomwareName(const char*) override {}
  void setToolDescription(const char*) override {}
  // A console run always hands the run its settings, so these are never asked.
  std::wstring getEncryptedPath() override { return {}; }
  std::wstring getTestPath() override { return {}; }
  OptionsAnswer getOptions() override { return {}; }
  void setProgressInfo(std::string_view) override {}
  void setFinalMessage(std::string_view, TextEncoding) override {}
  void setLogPath() override {}
  void showFinalStep(bool) override {}
};
