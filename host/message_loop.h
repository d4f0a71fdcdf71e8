#pragma once

// Serves the UI thread's messages until the quit message; returns the quit message's word parameter.
int run_message_loop();
