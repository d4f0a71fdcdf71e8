// The strict conversions go through the system's converter, which knows every code page.
#include <windows.h>

#include "text/encodings.h"
#include "text/narrowing.h"

namespace text {
namespace {

std::wstring to_wide(UINT code_page, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), length, out.data(), n);
  return out;
}

std::string to_bytes(UINT code_page, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(code_page, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), length, out.data(), n, nullptr, nullptr);
  return out;
}

int system_narrower(unsigned code_page, std::wstring_view wide, char* out, int out_size, bool* used_default) {
  BOOL used = FALSE;
  const int n = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), out, out_size, nullptr,
                                    used_default ? &used : nullptr);
  if (used_default) *used_default = used != FALSE;
  return n;
}

}  // namespace

std::wstring wide_from_utf8(std::string_view utf8) { return to_wide(CP_UTF8, utf8); }

std::string utf8_from_wide(std::wstring_view wide) { return to_bytes(CP_UTF8, wide); }

std::string oem_from_wide(std::wstring_view wide) { return to_bytes(CP_OEMCP, wide); }

std::wstring wide_from_ansi(std::string_view ansi) { return to_wide(CP_THREAD_ACP, ansi.substr(0, ansi.find('\0'))); }

std::string ansi_from_wide(std::wstring_view wide, bool* lossy) {
  return narrow_in(GetACP(), wide, lossy, system_narrower);
}

}  // namespace text
