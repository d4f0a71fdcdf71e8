// Calling a native method for the page.
#pragma once

#include <functional>

#include "host/value.h"

namespace sciter {

// Runs the method and gives the page its result: undefined, or an error string (units 1) carrying the
// message of a std::runtime_error (or a class derived from it, such as std::system_error) that it raised.
value run_native_method(const std::function<void()>& method);

}  // namespace sciter
