#include "engine/folder_rights.h"

#include <fmt/format.h>

#include <algorithm>

#include "text/encodings.h"

namespace {

constexpr const char* kAdministrators = "S-1-5-32-544";
constexpr const char* kSystem = "S-1-5-18";
constexpr const char* kTrustedInstaller = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr const char* kCreatorOwner = "S-1-3-0";  // a placeholder for inheritance; matches nobody itself
constexpr const char* kOwnerRights = "S-1-3-4";   // whoever owns the folder

bool isTrusted(const std::string& sid) { return sid == kAdministrators || sid == kSystem || sid == kTrustedInstaller; }

void addOnce(std::vector<std::string>& list, std::string who) {
  if (std::find(list.begin(), list.end(), who) == list.end()) list.push_back(std::move(who));
}

}  // namespace

std::vector<std::string> untrustedWriters(const FolderSecurity& security) {
  std::vector<std::string> writers;
  const bool ownerTrusted = isTrusted(security.owner);
  if (!ownerTrusted) addOnce(writers, security.owner.empty() ? "an unknown owner" : security.owner);
  if (!security.hasDacl) addOnce(writers, "everyone (the folder has no access list)");
  for (const AccessEntry& entry : security.entries) {
    if (!entry.allows || entry.inheritOnly || !(entry.mask & kFolderWriteRights)) continue;
    if (entry.sid == kCreatorOwner) continue;
    if (entry.sid == kOwnerRights) {
      if (!ownerTrusted) addOnce(writers, security.owner);
      continue;
    }
    if (entry.sid.empty()) {
      addOnce(writers, "an entry of unknown kind");
    } else if (!isTrusted(entry.sid)) {
      addOnce(writers, entry.sid);
    }
  }
  return writers;
}

std::optional<std::string> libraryFolderRefusal(FolderRights& rights) {
  if (!rights.runsAsSystemAccount()) return std::nullopt;
  for (const std::wstring& folder : {rights.workingDirectory(), rights.programFolder()}) {
    const std::string shown = text::ansi_from_wide(folder);
    const std::string lockDown = fmt::format(
        "icacls \"{0}\" /inheritance:r /grant:r \"*S-1-5-32-544:(OI)(CI)F\" \"*S-1-5-18:(OI)(CI)F\" and icacls "
        "\"{0}\" /setowner \"*S-1-5-32-544\"",
        shown);
    const FolderSecurity security = rights.securityOf(folder);
    if (!security.read) {
      return fmt::format(
          "The decryption library was not bound: running as the system account, the tool could not read who may "
          "change the folder \"{}\" (system error {}). Lock it down as the user guide says: {}",
          shown, security.error, lockDown);
    }
    const std::vector<std::string> writers = untrustedWriters(security);
    if (writers.empty()) continue;
    std::string who;
    for (const std::string& writer : writers) who += (who.empty() ? "" : ", ") + writer;
    return fmt::format(
        "The decryption library was not bound: running as the system account, the folder \"{}\" lets others than "
        "Administrators, SYSTEM and TrustedInstaller change it ({}). Lock it down as the user guide says: {}",
        shown, who, lockDown);
  }
  return std::nullopt;
}
