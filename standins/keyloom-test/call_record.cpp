#include "call_record.h"

#include "text/encodings.h"

namespace keyloom_test {
std::string optionsText(const std::vector<OptionChoice>& options) {
  std::string text;
  for (const OptionChoice& option : options) {
    if (!text.empty()) text += ',';
    text += std::to_string(option.id) + ':' + (option.checked ? '1' : '0');
  }
  return text;
}

std::string initLine(const InitParams& params) {
  return "Init\tscan=" + text::utf8_from_wide(params.scanPath) + "\ttest=" + text::utf8_from_wide(params.testPath) +
         "\toptions=" + optionsText(params.options) + "\tlog=" + (params.log ? "set" : "none");
}

}  // namespace keyloom_test
