// Process entry: engine-wide set-up around uimain.
#include <windows.h>
#include <ole2.h>

#include "host/app_main.h"
#include "host/engine_binding.h"
#include "host/message_loop.h"
#include "host/module_instance.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  set_module_instance(instance);
  OleInitialize(nullptr);
  sciter::api().SciterSetOption(nullptr, sciter::abi::SCITER_SET_UX_THEMING, 1);
  const int result = uimain([] { return run_message_loop(); });
  OleUninitialize();
  return result;
}
