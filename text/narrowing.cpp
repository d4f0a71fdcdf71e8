#include "text/narrowing.h"

namespace text {
namespace {

bool is_high_surrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool has_unpaired_surrogate(std::wstring_view wide) {
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (is_high_surrogate(wide[i]) && i + 1 < wide.size() && is_low_surrogate(wide[i + 1])) {
      ++i;
    } else if (is_high_surrogate(wide[i]) || is_low_surrogate(wide[i])) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string narrow_in(unsigned code_page, std::wstring_view wide, bool* lossy, const Narrower& convert) {
  if (lossy) *lossy = false;
  if (wide.empty()) return {};
  const bool unicode = code_page == kCodePageUtf8 || code_page == kCodePageUtf7;
  const int needed = convert(code_page, wide, nullptr, 0, nullptr);
  if (needed <= 0) return {};
  std::string out(static_cast<std::size_t>(needed), '\0');
  bool used_default = false;
  const bool ask = lossy && !unicode;
  if (convert(code_page, wide, out.data(), needed, ask ? &used_default : nullptr) <= 0) return {};
  if (lossy) *lossy = unicode ? has_unpaired_surrogate(wide) : used_default;
  return out;
}

}  // namespace text
