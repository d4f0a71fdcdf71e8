#include "engine/progress_text.h"

#include <fmt/format.h>

std::string progressText(uint64_t decryptedCount, uint64_t failedCount) {
  return fmt::format("{}<br/>{}", fmt::format("{} files were decrypted.", decryptedCount),
                     fmt::format("{} files could not be decrypted.", failedCount));
}
