#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include "console/one_run_guard.h"
#include "text/encodings.h"

namespace {

// Owned by the Administrators group (which a token may name as owner only when it holds the group with its
// full rights, as an elevated administrator and the system account do), protected from inherited entries,
// and open to the system account and the Administrators group only.
constexpr const wchar_t* kGuardSecurity = L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)";

std::string accountOf(PSID sid) {
  wchar_t name[256], domain[256];
  DWORD nameSize = 256, domainSize = 256;
  SID_NAME_USE use;
  if (LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
    return text::utf8_from_wide(std::wstring(domain) + L"\\" + name);
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return {};
  const std::string result = text::utf8_from_wide(text);
  LocalFree(text);
  return result;
}

class SystemGuard : public OneRunGuard {
 public:
  explicit SystemGuard(const std::wstring& name) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kGuardSecurity, SDDL_REVISION_1,
                                                              &attributes.lpSecurityDescriptor, nullptr)) {
      answers_.openError = GetLastError();
      verdict_ = judgeGuard(answers_);
      return;
    }
    // Only what the guard needs: to wait on it and to read its owner.
    handle_ = CreateMutexExW(&attributes, name.c_str(), 0, SYNCHRONIZE | READ_CONTROL);
    const DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    answers_.opened = handle_ != nullptr;
    answers_.openError = handle_ ? 0 : error;
    answers_.existed = handle_ && error == ERROR_ALREADY_EXISTS;
    if (answers_.existed) readOwner();
    if (handle_) {
      const DWORD waited = WaitForSingleObject(handle_, 0);
      answers_.acquired = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    verdict_ = judgeGuard(answers_);
  }
  ~SystemGuard() override {
    if (!handle_) return;
    if (answers_.acquired) ReleaseMutex(handle_);
    CloseHandle(handle_);
  }
  GuardVerdict verdict() const override { return verdict_; }
  const GuardAnswers& answers() const override { return answers_; }

 private:
  void readOwner() {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle_, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
      return;
    }
    answers_.ownerTrusted =
        IsWellKnownSid(owner, WinBuiltinAdministratorsSid) || IsWellKnownSid(owner, WinLocalSystemSid);
    answers_.owner = accountOf(owner);
    LocalFree(descriptor);
  }

  HANDLE handle_ = nullptr;
  GuardAnswers answers_;
  GuardVerdict verdict_ = GuardVerdict::Blocked;
};

}  // namespace

std::unique_ptr<OneRunGuard> takeOneRunGuard(const std::wstring& name) { return std::make_unique<SystemGuard>(name); }
