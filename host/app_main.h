// The application's hooks, which the host's entry point calls the way a platform layer calls main. The host
// declares them; the application defines them.
#pragma once

#include <functional>

// run_loop serves the window until it closes and returns the message loop's result. Returns the process
// exit code.
int uimain(std::function<int()> run_loop);

// Called first of all, before any path is touched or any library is bound, the UI engine's included: the
// application sets here how the process meets the file system and where libraries may come from.
void prepare_process();
