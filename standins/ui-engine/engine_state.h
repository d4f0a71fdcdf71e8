// The stand-in engine's record of each window it created and of what the program installed on it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "host/sciter_abi.h"

namespace standin {

namespace abi = sciter::abi;

struct WindowRecord {
  UINT flags = 0;
  abi::SciterWindowDelegate delegate = nullptr;
  void* delegate_param = nullptr;
  abi::LPSciterHostCallback host_callback = nullptr;
  void* host_param = nullptr;
  abi::LPElementEventProc event_proc = nullptr;
  void* event_tag = nullptr;
  bool sized_by_document = false;  // created without a rectangle: its document says how large it is
};

// A copy of the window's record, if the window exists.
std::optional<WindowRecord> find_window(HWND window);
void update_window(HWND window, const WindowRecord& record);
void forget_window(HWND window);

// A rectangle, even an empty one, places and sizes the window; without one the window waits for its
// document (size_from_document). Each size given to a window is journaled as WindowSized.
HWND create_engine_window(UINT flags, const RECT* frame, abi::SciterWindowDelegate delegate, void* param, HWND parent);
// Sizes a window created without a rectangle as its loaded document asks, or to the engine's default size.
void size_from_document(HWND window, const std::string& html);

}  // namespace standin
