// Process entry: engine-wide set-up around uimain.
#include <windows.h>

#include "host/app_main.h"
#include "host/engine_binding.h"
#include "host/message_loop.h"
#include "host/module_instance.h"
#include "host/ole_session.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  // First of all: from here on no path raises a system box, and no library, the UI engine's and the
  // decryption library's dependencies included, can come from the working directory by its name alone.
  prepare_process();
  set_module_instance(instance);
  int result = 0;
  {
    const ole_session ole;  // uninitialised once uimain has returned, before the process ends
    sciter::api().SciterSetOption(nullptr, sciter::abi::SCITER_SET_UX_THEMING, 1);
    result = uimain([] { return run_message_loop(); });
  }
  return result;
}
