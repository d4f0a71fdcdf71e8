#include "host/native_method.h"

#include <stdexcept>

#include "host/text_conversions.h"

namespace sciter {

value run_native_method(const std::function<void()>& method) {
  try {
    method();
  } catch (const std::runtime_error& error) {
    return make_error_value(error.what());
  }
  return value();
}

}  // namespace sciter
