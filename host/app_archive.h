// The UI archive carried inside the program, opened once in the engine and never closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace app_archive {

// The packed UI folder as built into the program (read-only data).
std::span<const uint8_t> embedded_bytes();

// Closes the archive held so far, if any, and opens the given bytes, which must outlive the process's use.
void open(std::span<const uint8_t> bytes);

// The engine's handle of the open archive; null before opening or when the engine refused the data.
void* handle();

}  // namespace app_archive
