// Native code calling global functions of the page script, synchronously, from any thread.
#pragma once

#include <initializer_list>

#include "host/value.h"
#include "host/window.h"

namespace sciter {

static_assert(sizeof(value) == sizeof(abi::VALUE), "value arrays are passed to the engine as VALUE arrays");

// Returns the function's result, isolated (script objects made plain arrays and maps). A script error raises
// std::runtime_error carrying the script's message in the ANSI code page; a refused call without an error
// string is silent and returns what the engine left.
value call_page_function(const window* target, const char* name, unsigned argc = 0, const value* argv = nullptr);

inline value call_page_function(const window* target, const char* name, std::initializer_list<value> args) {
  return call_page_function(target, name, static_cast<unsigned>(args.size()), args.begin());
}

}  // namespace sciter
