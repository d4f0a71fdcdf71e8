// The main window object: the one window of the program, exposed to the page script as `frame` with the
// two methods that start and stop a run.
#pragma once

#include <string>

#include "host/asset.h"
#include "host/frame_methods.h"
#include "host/window.h"

class frame : public sciter::window {
 public:
  // Creates the engine window (titled, resizable, with controls, main window, inspector allowed) and
  // returns the object with one reference held by the caller.
  static sciter::om::hasset<frame> create_main();

  sciter::abi::som_passport_t* asset_get_passport() override;
  bool handle_som(void* element, sciter::abi::SOM_PARAMS* params) override;

  // Native methods the page calls; they arrive on the UI thread and go to the connected methods, if any.
  void DecryptWrapper();
  void StopDecryption();
  void OpenLink(const std::wstring& target);
  // Set on the UI thread before the page can call a method; the methods must outlive the window.
  void connect(frame_methods* methods) { methods_ = methods; }

  // Finds the object that owns a native-object header handed back by the engine.
  static frame* from_asset(sciter::abi::som_asset_t* header);

 private:
  frame() = default;
  ~frame() override = default;

  frame_methods* methods_ = nullptr;
};

inline constexpr unsigned kMainWindowFlags = sciter::abi::SW_TITLEBAR | sciter::abi::SW_RESIZEABLE |
                                             sciter::abi::SW_CONTROLS | sciter::abi::SW_MAIN |
                                             sciter::abi::SW_ENABLE_DEBUG;
static_assert(kMainWindowFlags == 0x296);
