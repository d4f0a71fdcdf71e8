#include "engine/read_only_removal.h"

namespace {

constexpr uint32_t kErrorInvalidFunction = 1;    // ERROR_INVALID_FUNCTION
constexpr uint32_t kErrorAccessDenied = 5;       // ERROR_ACCESS_DENIED
constexpr uint32_t kErrorNotSupported = 50;      // ERROR_NOT_SUPPORTED
constexpr uint32_t kErrorInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
constexpr uint32_t kReadOnly = 0x1;              // FILE_ATTRIBUTE_READONLY
constexpr uint32_t kNormal = 0x80;               // FILE_ATTRIBUTE_NORMAL: no attribute at all

// The answers of a system or file system that does not know the extended disposition or one of its flags.
bool isUnknownToTheSystem(uint32_t error) {
  return error == kErrorInvalidParameter || error == kErrorNotSupported || error == kErrorInvalidFunction;
}

}  // namespace

uint32_t markForDeletionEvenIfReadOnly(DeletableFile& file) {
  uint32_t error = 0;
  if (file.markForDeletionIgnoringReadOnly(error)) return 0;
  if (!isUnknownToTheSystem(error)) return error;
  if (file.markForDeletion(error)) return 0;
  if (error != kErrorAccessDenied) return error;
  uint32_t attributes = 0, ignored = 0;
  if (!file.attributes(attributes, ignored) || !(attributes & kReadOnly)) return error;
  const uint32_t cleared = attributes & ~kReadOnly;
  if (!file.setAttributes(cleared == 0 ? kNormal : cleared, ignored)) return error;
  if (file.markForDeletion(error)) return 0;
  file.setAttributes(attributes, ignored);
  return error;
}
