// How one call of DecryptSingleFile ended, and the result names the report uses.
#pragma once

#include <cstdint>
#include <string>

namespace keyloom_check {

struct CallResult {
  bool threw = false;
  std::string what;  // the exception's text when it threw
  int32_t code = 0;
};

// "NotEncrypted", "Decrypted", "NoDiskSpace", "Failed", or "7 (no result of the contract)".
std::string resultName(int32_t code);

}  // namespace keyloom_check
