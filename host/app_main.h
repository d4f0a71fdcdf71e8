// The application's main function, which the host's entry point calls the way a platform layer calls
// main. The host declares it; the application defines it.
#pragma once

#include <functional>

// run_loop serves the window until it closes and returns the message loop's result. Returns the process
// exit code.
int uimain(std::function<int()> run_loop);
