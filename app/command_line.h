// Silent mode: turns the command line into a run, or writes its reasons and the help text to the log.
#pragma once

#include <string>
#include <vector>

struct Decryptor;

// On success the page shows its progress step and the run thread has started; on failure nothing has
// started and the reasons are in the log.
bool parseCommandLine(Decryptor& decryptor, std::vector<std::wstring> arguments);
