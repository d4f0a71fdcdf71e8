// In-process tests against the stand-in UI engine (sciter.dll beside the test program): its journal and
// page double are set up once per process, before the first engine call.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "standins/ui-engine/journal_lines.h"

namespace test_engine {

// What the page double answers in the host's tests, and the engine message it sends after every load.
inline constexpr const char* kScenario =
    "answer answerNumber 42\n"
    "answer answerOptions [{\"id\":2,\"checked\":false},{\"id\":1,\"checked\":true}]\n"
    "error failing Permission denied: \xC3\xA9t\xC3\xA9\n"
    "on load message 3 1 careful\\r\\nnow\n";

// Sets the journal and the scenario for this process, before the first engine call; the first call decides.
void prepare(const char* scenario = kScenario);

using Entry = standin::JournalEntry;
// The journal so far.
std::vector<Entry> journal();
// The journal's entries of one call that came after the given number of entries.
std::vector<Entry> journal_since(size_t entries, const std::string& call);

// Serves the window's messages for a while, so queued page actions run.
void pump_messages(int milliseconds);

}  // namespace test_engine
