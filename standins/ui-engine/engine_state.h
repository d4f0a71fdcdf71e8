// The stand-in engine's record of each window it created and of what the program installed on it.
#pragma once

#include <windows.h>

#include <optional>

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
};

// A copy of the window's record, if the window exists.
std::optional<WindowRecord> find_window(HWND window);
void update_window(HWND window, const WindowRecord& record);
void forget_window(HWND window);

HWND create_engine_window(UINT flags, const RECT* frame, abi::SciterWindowDelegate delegate, void* param, HWND parent);

}  // namespace standin
