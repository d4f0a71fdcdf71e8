// The engine's page, served by the main window: each typed call of the engine becomes a call of the page
// script's function of the same name through call_page_function. Once the window is closed (as the window
// itself says) the calls do nothing, so a run that still ends shows nothing. The calls that fill the page at
// start-up (the tool information, the silent run's step) never raise: a script error there is logged at
// Debug with the function's name and the engine's message, and start-up goes on. A run's calls raise it.
#pragma once

#include <initializer_list>

#include "engine/run_page.h"
#include "host/asset.h"
#include "host/frame.h"
#include "host/value.h"

class FramePage : public RunPage {
 public:
  explicit FramePage(sciter::om::hasset<frame> window) : window_(std::move(window)) {}

  const frame* target() const { return window_.get(); }
  bool closed() const override { return !window_ || window_->closed(); }

  void disableScanPath() override;
  void disableTestPath() override;
  void disableBackup() override;
  void disableWholeScan() override;
  void disableOverwrite() override;
  void disableAdvancedOptions() override;
  void addOptions(const std::vector<ToolOption>& options) override;
  void setRansomwareName(const char* ansiName) override;
  void setToolDescription(const char* ansiDescription) override;

  std::wstring getEncryptedPath() override;
  std::wstring getTestPath() override;
  OptionsAnswer getOptions() override;

  void setProgressInfo(std::string_view utf8Text) override;
  void setFinalMessage(std::string_view text, TextEncoding encoding) override;
  void setLogPath() override;
  void showFinalStep(bool success) override;

  // Part of silent mode, not of the engine: the page switches to its progress step.
  void showDecryptionStep();

 private:
  sciter::value call(const char* name, std::initializer_list<sciter::value> args = {});
  void callAtStartUp(const char* name, std::initializer_list<sciter::value> args = {});

  sciter::om::hasset<frame> window_;  // a counted reference, kept for the life of the process
};

// The process's one page, made on first call from the main window (later calls ignore the argument);
// never destroyed.
FramePage& main_page(const sciter::om::hasset<frame>& window = {});
