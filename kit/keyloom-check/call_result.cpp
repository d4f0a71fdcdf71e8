#include "call_result.h"

#include <fmt/format.h>

namespace keyloom_check {

std::string resultName(int32_t code) {
  switch (code) {
    case 0:
      return "NotEncrypted";
    case 1:
      return "Decrypted";
    case 2:
      return "NoDiskSpace";
    case 3:
      return "Failed";
  }
  return fmt::format("{} (no result of the contract)", code);
}

}  // namespace keyloom_check
