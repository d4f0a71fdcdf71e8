// The stand-in engine's journal: one line per call that the program makes into the engine, in order, so
// a test can read what the program did. The lines' form, and their reader for the tests: journal_lines.h.
#pragma once

#include <string_view>

#include "standins/ui-engine/values.h"

namespace standin {

// Writes to the file named by the environment variable STANDIN_ENGINE_JOURNAL; nothing when it is unset.
void journal(std::string_view call, const json& arguments = json::object());

}  // namespace standin
