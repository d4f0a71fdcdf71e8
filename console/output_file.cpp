#include "console/output_file.h"

namespace {
constexpr uint32_t kAttributeDirectory = 0x10;      // FILE_ATTRIBUTE_DIRECTORY
constexpr uint32_t kAttributeReparsePoint = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
}  // namespace

std::string outputFileRefusal(const OpenedFileFacts& facts) {
  if (!facts.onDisk) return {};
  if (facts.attributes & kAttributeReparsePoint)
    return "a link or another reparse point is at that path; it is not followed";
  if (facts.attributes & kAttributeDirectory) return "a folder is at that path";
  if (facts.links > 1) return "the file at that path has other names (hard links); it is not written";
  return {};
}
