#include "host/app_archive.h"

#include "host/engine_binding.h"

// Defined by the build from the packed UI folder.
extern "C" const uint8_t ui_archive_begin[];
extern "C" const uint8_t ui_archive_end[];

namespace app_archive {
namespace {
void* held = nullptr;  // touched on the UI thread only
}

std::span<const uint8_t> embedded_bytes() {
  return {ui_archive_begin, static_cast<size_t>(ui_archive_end - ui_archive_begin)};
}

void open(std::span<const uint8_t> bytes) {
  if (held) sciter::api().SciterCloseArchive(held);
  held = sciter::api().SciterOpenArchive(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void* handle() { return held; }

}  // namespace app_archive
