// What stands behind the window's document in the stand-in engine. The headless page double answers from a
// scenario that a test supplies; a real page in a browser can stand behind the same interface.
#pragma once

#include <windows.h>

#include <string>

#include "standins/ui-engine/values.h"

namespace standin {

struct PageCallResult {
  bool ok = true;     // false: the script raised an error
  json value;         // the function's result (null = undefined)
  std::string error;  // the script's error text when !ok
};

class Page {
 public:
  virtual ~Page() = default;
  // The main document and what it refers to have been loaded into the window (UI thread).
  virtual void document_loaded(HWND window, const std::string& url) = 0;
  // Native code calls a global function of the page script; any thread, synchronously.
  virtual PageCallResult call(HWND window, const std::string& name, const json& args) = 0;
};

// The page of this process, chosen on first use.
Page& page();

}  // namespace standin
