#include "host/window.h"

#include "host/engine_binding.h"

namespace sciter {

window::window() {
  // One reference for the event-handler part (given back when the engine detaches the handler) and one
  // for the window part (given back when the engine is destroyed).
  asset_add_ref();
  asset_add_ref();
}

void window::create(abi::UINT flags, RECT frame) {
  // An empty frame is handed over as none: the engine then sizes the window from its document
  // (window-width and window-height on the root element), where a zero-size rectangle would be taken as
  // a window of no size.
  RECT* placed = frame.right - frame.left > 0 ? &frame : nullptr;
  hwnd_ = api().SciterCreateWindow(flags, placed, &window::delegate, this, nullptr);
}

void window::load_file(const wchar_t* url) {
  const HWND hwnd = hwnd_.load();
  if (hwnd && !callbacks_installed_) {
    callbacks_installed_ = true;
    api().SciterSetCallback(hwnd, &window::host_callback, this);
    api().SciterWindowAttachEventHandler(hwnd, &event_handler::element_proc, static_cast<event_handler*>(this),
                                         abi::HANDLE_ALL);
  }
  api().SciterLoadFile(hwnd, url);
}

void window::show(int command) {
  if (const HWND hwnd = hwnd_.load()) ShowWindow(hwnd, command);
}

abi::UINT window::on_engine_destroyed() {
  hwnd_ = nullptr;
  asset_release();
  return 0;
}

abi::UINT SCAPI window::host_callback(abi::SCITER_CALLBACK_NOTIFICATION* notification, void* param) {
  auto* self = static_cast<window*>(param);
  if (!self || !notification) return 0;
  switch (notification->code) {
    case abi::SC_LOAD_DATA:
      return self->on_load_data(reinterpret_cast<abi::SCN_LOAD_DATA*>(notification));
    case abi::SC_DATA_LOADED:
      return self->on_data_loaded(reinterpret_cast<abi::SCN_DATA_LOADED*>(notification));
    case abi::SC_ATTACH_BEHAVIOR:
      return self->on_attach_behavior(reinterpret_cast<abi::SCN_ATTACH_BEHAVIOR*>(notification));
    case abi::SC_ENGINE_DESTROYED:
      return self->on_engine_destroyed();
    case abi::SC_POSTED_NOTIFICATION:
      return self->on_posted_notification(notification);
    case abi::SC_GRAPHICS_CRITICAL_FAILURE:
      return self->on_graphics_critical_failure();
    default:
      return 0;
  }
}

LRESULT SCAPI window::delegate(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, void* param,
                               abi::SBOOL* handled) {
  auto* self = static_cast<window*>(param);
  return self ? self->on_message(hwnd, message, wparam, lparam, handled) : 0;
}

abi::SBOOL SCAPI event_handler::element_proc(void* tag, void* element, abi::UINT group, void* params) {
  auto* self = static_cast<event_handler*>(tag);
  if (!self) return false;
  switch (group) {
    case abi::SUBSCRIPTIONS_REQUEST:
      *static_cast<abi::UINT*>(params) = self->subscription();
      return true;
    case abi::HANDLE_INITIALIZATION: {
      const auto* init = static_cast<abi::INITIALIZATION_PARAMS*>(params);
      if (init->cmd == abi::BEHAVIOR_DETACH)
        self->detached(element);
      else if (init->cmd == abi::BEHAVIOR_ATTACH)
        self->attached(element);
      return true;
    }
    case abi::HANDLE_SOM:
      return self->handle_som(element, static_cast<abi::SOM_PARAMS*>(params));
    case abi::HANDLE_MOUSE:
      return self->handle_mouse(element, params);
    case abi::HANDLE_KEY:
      return self->handle_key(element, params);
    case abi::HANDLE_FOCUS:
      return self->handle_focus(element, params);
    case abi::HANDLE_TIMER:
      return self->handle_timer(element, params);
    case abi::HANDLE_SIZE:
      self->handle_size(element);
      return false;
    case abi::HANDLE_SCROLL:
      return self->handle_scroll(element, params);
    case abi::HANDLE_GESTURE:
      return self->handle_gesture(element, params);
    case abi::HANDLE_EXCHANGE:
      return self->handle_exchange(element, params);
    case abi::HANDLE_DRAW:
      return self->handle_draw(element, params);
    case abi::HANDLE_METHOD_CALL:
      return self->handle_method_call(element, params);
    case abi::HANDLE_BEHAVIOR_EVENT:
      return self->handle_event(element, params);
    case abi::HANDLE_DATA_ARRIVED:
      return self->handle_data_arrived(element, params);
    case abi::HANDLE_SCRIPTING_METHOD_CALL:
      return self->handle_scripting_call(element, params);
    default:
      return false;
  }
}

}  // namespace sciter
