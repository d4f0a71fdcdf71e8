#include "host/app_archive.h"

#include "host/engine_binding.h"

// Defined by the build from the packed UI folder (a generated C source).
extern "C" const uint8_t ui_archive[];
extern "C" const size_t ui_archive_size;

namespace app_archive {
namespace {
void* held = nullptr;  // touched on the UI thread only
}

std::span<const uint8_t> embedded_bytes() { return {ui_archive, ui_archive_size}; }

void open(std::span<const uint8_t> bytes) {
  if (held) sciter::api().SciterCloseArchive(held);
  held = sciter::api().SciterOpenArchive(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void* handle() { return held; }

}  // namespace app_archive
