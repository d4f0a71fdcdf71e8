#include "call_record.h"

#include <windows.h>

namespace keyloom_test {
std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), n, nullptr, nullptr);
  return out;
}

std::string optionsText(const std::vector<OptionChoice>& options) {
  std::string text;
  for (const OptionChoice& option : options) {
    if (!text.empty()) text += ',';
    text += std::to_string(option.id) + ':' + (option.checked ? '1' : '0');
  }
  return text;
}

std::string initLine(const InitParams& params) {
  return "Init\tscan=" + utf8(params.scanPath) + "\ttest=" + utf8(params.testPath) +
         "\toptions=" + optionsText(params.options) + "\tlog=" + (params.log ? "set" : "none");
}

}  // namespace keyloom_test
