#include "support/command_line.h"

namespace support {

std::wstring quote(std::wstring_view argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring_view::npos) return std::wstring(argument);
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
    } else {
      out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
      backslashes = 0;
    }
    if (c != L'\\') out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

std::wstring command_line(std::wstring_view program, const std::vector<std::wstring>& arguments) {
  std::wstring line = quote(program);
  for (const std::wstring& argument : arguments) line += L" " + quote(argument);
  return line;
}

}  // namespace support
