#include "engine/library_records.h"

#include <fmt/format.h>

#include <cstdint>
#include <cstring>

namespace {

struct RawVector {
  uintptr_t begin, end, storageEnd;
};
static_assert(sizeof(RawVector) == sizeof(std::vector<ToolOption>));

RawVector rawOptions(const ToolInfo& info) {
  RawVector raw;
  std::memcpy(&raw, static_cast<const void*>(&info.options), sizeof raw);
  return raw;
}

}  // namespace

std::optional<std::string> optionListProblem(const ToolInfo& info) {
  const RawVector raw = rawOptions(info);
  if (raw.begin == 0 && raw.end == 0 && raw.storageEnd == 0) return std::nullopt;
  if (raw.begin == 0) return "its first record is null while its end is not";
  if (raw.end < raw.begin) return "it ends before it begins";
  if (raw.begin % alignof(ToolOption) != 0) return "its first record is not aligned";
  const uintptr_t bytes = raw.end - raw.begin;
  if (bytes % sizeof(ToolOption) != 0) {
    return fmt::format("it spans {} bytes, not a whole number of {}-byte records", bytes, sizeof(ToolOption));
  }
  if (bytes / sizeof(ToolOption) > kMostOptions) {
    return fmt::format("it holds {} records, more than {}", bytes / sizeof(ToolOption), kMostOptions);
  }
  if (raw.storageEnd < raw.end) return "its storage ends before its last record";
  return std::nullopt;
}

void forgetOptionList(ToolInfo& info) {
  const RawVector empty{0, 0, 0};
  std::memcpy(static_cast<void*>(&info.options), &empty, sizeof empty);
}
