// The engine window and the handlers through which the engine talks to it.
#pragma once

#include <atomic>

#include "host/asset.h"
#include "host/sciter_abi.h"

namespace sciter {

// Handlers of the engine's event groups. The window answers "not handled" to all of them but the few it
// needs, so the engine keeps its default behaviour for everything else.
class event_handler_raw {
 public:
  virtual ~event_handler_raw() = default;
  virtual void detached(void* element) = 0;
  virtual void attached(void* element) = 0;
  virtual abi::UINT subscription() = 0;

  // One handler per event group, in the engine's group order.
  virtual bool handle_mouse(void* element, void* params) { return on_mouse(element, params); }
  virtual bool handle_key(void* element, void* params) { return on_key(element, params); }
  virtual bool handle_focus(void* element, void* params) { return on_focus(element, params); }
  virtual bool handle_timer(void* element, void* params) { return on_timer(element, params); }
  virtual void handle_size(void* element) { on_size(element); }
  virtual bool handle_scroll(void* element, void* params) { return on_scroll(element, params); }
  virtual bool handle_gesture(void*, void*) { return false; }
  virtual bool handle_exchange(void*, void*) { return false; }
  virtual bool handle_draw(void* element, void* params) { return on_draw(element, params); }
  virtual bool handle_method_call(void* element, void* params) { return on_method_call(element, params); }
  virtual bool handle_som(void* element, abi::SOM_PARAMS* params) = 0;
  virtual bool handle_event(void* element, void* params) { return on_event(element, params); }
  virtual bool handle_data_arrived(void* element, void* params) { return on_data_arrived(element, params); }
  virtual bool handle_scripting_call(void* element, void* params) { return on_script_call(element, params); }

  // Detail handlers that the group handlers forward to.
  virtual bool on_mouse(void*, void*) { return false; }
  virtual bool on_key(void*, void*) { return false; }
  virtual bool on_focus(void*, void*) { return false; }
  virtual bool on_timer(void*, void*) { return false; }
  virtual bool on_timer_id(void*, void*, uintptr_t) { return false; }
  virtual bool on_draw(void*, void*) { return false; }
  virtual void on_size(void*) {}
  virtual bool on_method_call(void*, void*) { return false; }
  virtual bool on_script_call(void*, void*) { return false; }
  virtual bool on_event(void*, void*) { return false; }
  virtual bool on_data_arrived(void*, void*) { return false; }
  virtual bool on_scroll(void*, void*) { return false; }

  virtual LRESULT on_message(HWND, UINT, WPARAM, LPARAM, abi::SBOOL* handled) = 0;
};

// The window-level event handler; the engine reaches it through element_proc.
class event_handler : public event_handler_raw, public om::asset<event_handler> {
 public:
  void detached(void*) override { asset_release(); }
  void attached(void*) override {}
  abi::UINT subscription() override { return abi::HANDLE_ALL; }
  bool handle_som(void*, abi::SOM_PARAMS*) override { return false; }

  static abi::SBOOL SCAPI element_proc(void* tag, void* element, abi::UINT group, void* params);
};

// Notifications of the engine about the window's document and its own life.
template <class W>
class host {
 public:
  virtual ~host() = default;
  virtual abi::UINT on_load_data(abi::SCN_LOAD_DATA* notification) = 0;
  virtual abi::UINT on_data_loaded(abi::SCN_DATA_LOADED*) { return 0; }
  virtual abi::UINT on_attach_behavior(abi::SCN_ATTACH_BEHAVIOR*) { return 0; }
  virtual abi::UINT on_engine_destroyed() = 0;
  virtual abi::UINT on_posted_notification(void*) { return 0; }
  virtual abi::UINT on_graphics_critical_failure() { return 0; }
};

class window : public event_handler, public host<window> {
 public:
  HWND handle() const { return hwnd_.load(); }
  // The one place that knows the window is gone: its owner marks it closed once the message loop has
  // ended, and the engine destroying it, which comes first, clears the handle. Whoever calls the page asks
  // here (the page adapter, the log's forwarding and, through the page, the run).
  bool closed() const { return closed_.load() || !hwnd_.load(); }
  void mark_closed() { closed_ = true; }

  // Creates the engine window with the given flags, placed in the frame when it has a width (otherwise the
  // document says how large the window is).
  void create(abi::UINT flags, RECT frame = {});
  // Installs the host callback and the event handler once, when the window exists, then loads the document.
  void load_file(const wchar_t* url);
  void show(int command);

  LRESULT on_message(HWND, UINT, WPARAM, LPARAM, abi::SBOOL*) override { return 0; }
  abi::UINT on_load_data(abi::SCN_LOAD_DATA* notification) override;
  abi::UINT on_attach_behavior(abi::SCN_ATTACH_BEHAVIOR*) override { return 0; }  // none registered
  abi::UINT on_engine_destroyed() override;

  static abi::UINT SCAPI host_callback(abi::SCITER_CALLBACK_NOTIFICATION* notification, void* param);
  static LRESULT SCAPI delegate(HWND, UINT, WPARAM, LPARAM, void* param, abi::SBOOL* handled);

 protected:
  window();
  ~window() override = default;

 private:
  std::atomic<HWND> hwnd_{nullptr};  // written on the UI thread, read by worker threads for page calls
  std::atomic<bool> closed_{false};
  bool callbacks_installed_ = false;
};

}  // namespace sciter
