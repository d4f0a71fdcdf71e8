// The system's answers for folder_rights.h: the process token, the folders, their security descriptors.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstring>
#include <memory>

#include "engine/folder_rights.h"
#include "engine/folder_system.h"

namespace {

std::string sidText(PSID sid) {
  if (!sid || !IsValidSid(sid)) return {};
  LPSTR text = nullptr;
  if (!ConvertSidToStringSidA(sid, &text)) return {};
  std::string out(text);
  LocalFree(text);
  return out;
}

// The SID an allowing entry names. Object entries carry up to two GUIDs before it, as their flags say;
// entries of other kinds are not read.
PSID allowedEntrySid(const ACE_HEADER* header) {
  const auto* bytes = reinterpret_cast<const BYTE*>(header);
  switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
      return const_cast<BYTE*>(bytes + sizeof(ACE_HEADER) + sizeof(ACCESS_MASK));
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE: {
      DWORD flags = 0;
      std::memcpy(&flags, bytes + sizeof(ACE_HEADER) + sizeof(ACCESS_MASK), sizeof flags);
      size_t at = sizeof(ACE_HEADER) + sizeof(ACCESS_MASK) + sizeof(DWORD);
      if (flags & ACE_OBJECT_TYPE_PRESENT) at += sizeof(GUID);
      if (flags & ACE_INHERITED_OBJECT_TYPE_PRESENT) at += sizeof(GUID);
      return at < header->AceSize ? const_cast<BYTE*>(bytes + at) : nullptr;
    }
    default:
      return nullptr;
  }
}

bool isAllowingType(BYTE type) {
  return type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE ||
         type == ACCESS_ALLOWED_OBJECT_ACE_TYPE || type == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE ||
         type == ACCESS_ALLOWED_COMPOUND_ACE_TYPE;
}

class SystemFolderRights : public FolderRights {
 public:
  bool runsAsSystemAccount() override {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::unique_ptr<BYTE[]> buffer(new BYTE[size ? size : 1]);
    const bool read = size && GetTokenInformation(token, TokenUser, buffer.get(), size, &size);
    CloseHandle(token);
    if (!read) return false;
    return IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, WinLocalSystemSid);
  }

  std::wstring workingDirectory() override { return fullPathOrAsGiven(L"."); }

  std::wstring programFolder() override {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (n == 0) return {};
      if (n < path.size()) {
        path.resize(n);
        break;
      }
      path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(0, slash == 2 ? 3 : slash);
  }

  FolderSecurity securityOf(const std::wstring& folder) override {
    FolderSecurity security;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status =
        GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &descriptor);
    if (status != ERROR_SUCCESS) {
      security.error = status;
      return security;
    }
    security.read = true;
    security.owner = sidText(owner);
    security.hasDacl = dacl != nullptr;  // a missing access list grants everyone everything
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
      void* ace = nullptr;
      if (!GetAce(dacl, i, &ace)) continue;
      const auto* header = static_cast<const ACE_HEADER*>(ace);
      AccessEntry entry;
      entry.allows = isAllowingType(header->AceType);
      entry.inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
      std::memcpy(&entry.mask, static_cast<const BYTE*>(ace) + sizeof(ACE_HEADER), sizeof entry.mask);
      if (entry.allows) entry.sid = sidText(allowedEntrySid(header));
      security.entries.push_back(std::move(entry));
    }
    LocalFree(descriptor);
    return security;
  }
};

}  // namespace

FolderRights& systemFolderRights() {
  static SystemFolderRights rights;
  return rights;
}
