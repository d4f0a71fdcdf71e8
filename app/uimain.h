// The application's main function: brings everything up in order and runs the message loop.
#pragma once

#include <functional>

// Returns the process exit code: the message loop's result. Ends the process itself with exit code 1 when
// the decryption library cannot be bound, and 2 after an argument error or a help request.
int uimain(std::function<int()> run_loop);
