#include "host/page_call.h"

#include <stdexcept>

#include "host/engine_binding.h"
#include "host/text_conversions.h"

namespace sciter {

value call_page_function(const window* target, const char* name, unsigned argc, const value* argv) {
  value result;
  const HWND hwnd = target ? target->handle() : nullptr;
  const abi::SBOOL ok = api().SciterCall(hwnd, name, argc, argv ? argv->raw() : nullptr, result.raw());
  if (ok || !result.is_error_string()) {
    // A script hands arrays and objects back by reference; only the plain data that isolation leaves can
    // be read element by element, and on a thread other than the window's.
    result.isolate();
    return result;
  }
  throw std::runtime_error(ansi_from_wide(result.get_chars()));
}

}  // namespace sciter
