#include <windows.h>

#include <fmt/format.h>
#include <sddl.h>

#include <memory>
#include <vector>

#include "console/machine_facts.h"
#include "text/encodings.h"

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

std::wstring computerName() {
  for (const COMPUTER_NAME_FORMAT format : {ComputerNameDnsHostname, ComputerNameNetBIOS}) {
    DWORD size = 0;
    GetComputerNameExW(format, nullptr, &size);
    if (size == 0) continue;
    std::wstring name(size, L'\0');
    if (GetComputerNameExW(format, name.data(), &size) && size > 0) {
      name.resize(size);
      return name;
    }
  }
  return {};
}

std::vector<unsigned char> tokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what) {
  DWORD size = 0;
  GetTokenInformation(token, what, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size == 0 || !GetTokenInformation(token, what, buffer.data(), size, &size)) return {};
  return buffer;
}

std::wstring accountName(HANDLE token) {
  const auto user = tokenInformation(token, TokenUser);
  if (user.empty()) return {};
  PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
  wchar_t name[256], domain[256];
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use;
  if (LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
    return std::wstring(domain) + L"\\" + name;
  }
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return {};
  std::wstring result = text;
  LocalFree(text);
  return result;
}

}  // namespace

MachineFacts machineFacts() {
  MachineFacts facts;
  facts.computer = computerName();
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    const OwnedHandle owned(token);
    facts.account = accountName(token);
    const auto elevation = tokenInformation(token, TokenElevation);
    facts.elevated = !elevation.empty() && reinterpret_cast<const TOKEN_ELEVATION*>(elevation.data())->TokenIsElevated;
  }
  // The Administrators group counts only where it is enabled: a filtered administrator's token holds it for
  // denying only. This also answers where the system does not split tokens (UAC turned off).
  unsigned char administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof administrators;
  BOOL member = FALSE;
  if (!facts.elevated && CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
      CheckTokenMembership(nullptr, administrators, &member)) {
    facts.elevated = member != FALSE;
  }
  DWORD session = 1;
  facts.inServicesSession = ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0;
  return facts;
}

std::string fileVersionOf(const std::wstring& path) {
  static const HMODULE version = LoadLibraryExW(L"version.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!version) return {};
  using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  const auto size =
      reinterpret_cast<SizeFn>(reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoSizeW")));
  const auto info = reinterpret_cast<InfoFn>(reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoW")));
  const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(version, "VerQueryValueW")));
  if (!size || !info || !query) return {};
  DWORD ignored = 0;
  const DWORD bytes = size(path.c_str(), &ignored);
  if (bytes == 0) return {};
  std::vector<unsigned char> block(bytes);
  if (!info(path.c_str(), 0, bytes, block.data())) return {};
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (!query(block.data(), L"\\", reinterpret_cast<LPVOID*>(&fixed), &fixedSize) || !fixed ||
      fixedSize < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != 0xFEEF04BD) {
    return {};
  }
  return fmt::format("{}.{}.{}.{}", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                     HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
}

bool windowLibraryLoaded() { return GetModuleHandleW(L"user32.dll") != nullptr; }

std::string systemMessageUtf8(uint32_t code) {
  LPWSTR buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
  if (buffer) LocalFree(buffer);
  // Without its line end and its full stop, so it can stand inside a sentence.
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
    text.pop_back();
  if (text.empty()) return fmt::format("system error {}", code);
  return text::utf8_from_wide(text);
}
