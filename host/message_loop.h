#pragma once

// Serves the UI thread's messages until the quit message; returns the quit message's word parameter.
int run_message_loop();

// Dispatches the messages already queued for the UI thread and returns; for the time after the loop, while
// something still finishes.
void serve_pending_messages();
