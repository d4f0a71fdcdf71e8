// What a page (or the user in front of it) can make the engine do. Each runs on the window's thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "standins/ui-engine/values.h"

namespace standin {

// Queues work for the window's thread; it runs while the program's message loop serves the window.
void run_on_window_thread(HWND window, std::function<void()> work);

// The user closes the window (as the engine would on the close box or Window.this.close()).
void close_window(HWND window);

// The page calls a method of the window's native object, found through the event handler's passport.
// Returns the method's result as JSON ({"error": text} for an error value); {"missing": name} when absent.
json call_native_method(HWND window, const std::string& object, const std::string& method, const json& args);

// An engine diagnostic message to the installed debug sink.
void emit_engine_message(unsigned subsystem, unsigned severity, const std::wstring& text);

}  // namespace standin
