// The counter text that the page's progress list shows during a run. "<br/>" is markup: the page puts the
// text into a list item as HTML.
#pragma once

#include <cstdint>
#include <string>

std::string progressText(uint64_t decryptedCount, uint64_t failedCount);
