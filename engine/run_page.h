// The page as the decryption engine sees it: the functions of the window's script that the tool
// information and a run call, as typed calls. Whoever owns the window implements them; any call may raise
// std::runtime_error when the script rejects it. Once the window is gone the calls do nothing and answer
// nothing: an empty answer then means nothing, which closed() tells.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/library_abi.h"

// How the bytes of a text handed to the page are to be read.
enum class TextEncoding { Ansi, Utf8 };

// The option choices read back from the page, in page order. An answer that is not a list of choices is
// no list at all: then `unreadable` says why, and the choices must not be taken for "none chosen", which
// would read as Backup unchecked.
struct OptionsAnswer {
  std::vector<OptionChoice> choices;
  std::string unreadable;  // empty: the choices were read

  bool readable() const { return unreadable.empty(); }
};

class RunPage {
 public:
  virtual ~RunPage() = default;

  // True once the window is gone (or going): from then on no answer of the page can be trusted.
  virtual bool closed() const = 0;

  // The library's features and options on the settings step.
  virtual void disableScanPath() = 0;
  virtual void disableTestPath() = 0;
  virtual void disableBackup() = 0;
  virtual void disableWholeScan() = 0;
  virtual void disableOverwrite() = 0;
  virtual void disableAdvancedOptions() = 0;
  virtual void addOptions(const std::vector<ToolOption>& options) = 0;
  virtual void setRansomwareName(const char* ansiName) = 0;  // null: empty
  virtual void setToolDescription(const char* ansiDescription) = 0;

  // The settings of a run that the page started.
  virtual std::wstring getEncryptedPath() = 0;
  virtual std::wstring getTestPath() = 0;
  virtual OptionsAnswer getOptions() = 0;

  // Progress and outcome.
  virtual void setProgressInfo(std::string_view utf8Text) = 0;
  virtual void setFinalMessage(std::string_view text, TextEncoding encoding) = 0;
  virtual void setLogPath() = 0;  // the log file's full path, which the page's owner knows
  virtual void showFinalStep(bool success) = 0;
};
