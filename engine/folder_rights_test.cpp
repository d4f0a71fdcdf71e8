// Who may change a folder the library is bound from, read from owners and access entries as Windows
// reports them (SIDs in their string form, the masks of real entries).
#include <gtest/gtest.h>

#include <map>

#include "engine/folder_rights.h"

namespace {

constexpr const char* kAdministrators = "S-1-5-32-544";
constexpr const char* kSystem = "S-1-5-18";
constexpr const char* kTrustedInstaller = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr const char* kUsers = "S-1-5-32-545";
constexpr const char* kAuthenticatedUsers = "S-1-5-11";
constexpr const char* kCreatorOwner = "S-1-3-0";
constexpr const char* kOwnerRights = "S-1-3-4";
constexpr const char* kAnn = "S-1-5-21-1-2-3-1001";
constexpr uint32_t kFull = 0x1F01FF;         // FILE_ALL_ACCESS
constexpr uint32_t kReadExecute = 0x1200A9;  // what icacls shows as (RX)
constexpr uint32_t kAddFile = 0x2;           // FILE_ADD_FILE, (WD) on a folder
constexpr uint32_t kWriteDac = 0x40000;

AccessEntry allow(const char* sid, uint32_t mask, bool inheritOnly = false) { return {true, inheritOnly, mask, sid}; }

TEST(FolderRights, WhoMayWriteBesidesAdministratorsSystemAndTrustedInstaller) {
  const struct {
    const char* name;
    FolderSecurity security;
    std::vector<std::string> writers;
  } cases[] = {
      {"locked down as the guide says",
       {true, 0, kAdministrators, true, {allow(kAdministrators, kFull), allow(kSystem, kFull)}},
       {}},
      {"users may read, TrustedInstaller owns it",
       {true,
        0,
        kTrustedInstaller,
        true,
        {allow(kTrustedInstaller, kFull), allow(kSystem, kFull), allow(kUsers, kReadExecute)}},
       {}},
      // A new folder under C:\ProgramData: users may create files in it.
      {"a new folder under ProgramData",
       {true,
        0,
        kAdministrators,
        true,
        {allow(kSystem, kFull), allow(kAdministrators, kFull), allow(kCreatorOwner, 0x10000000, true),
         allow(kUsers, kReadExecute), allow(kUsers, kAddFile | 0x4 | 0x10 | 0x100)}},
       {kUsers}},
      {"creator owner applies only to what is made inside",
       {true, 0, kSystem, true, {allow(kSystem, kFull), allow(kCreatorOwner, kFull, true)}},
       {}},
      {"an entry that applies only inside grants nothing here",
       {true, 0, kSystem, true, {allow(kSystem, kFull), allow(kAuthenticatedUsers, kFull, true)}},
       {}},
      {"a user who owns it may rewrite its access list", {true, 0, kAnn, true, {allow(kSystem, kFull)}}, {kAnn}},
      {"owner rights count for a trusted owner only", {true, 0, kAnn, true, {allow(kOwnerRights, kWriteDac)}}, {kAnn}},
      {"owner rights of a trusted owner", {true, 0, kAdministrators, true, {allow(kOwnerRights, kFull)}}, {}},
      {"no access list at all", {true, 0, kAdministrators, false, {}}, {"everyone (the folder has no access list)"}},
      {"denials grant nothing", {true, 0, kSystem, true, {{false, false, kFull, kUsers}}}, {}},
      {"generic write", {true, 0, kSystem, true, {allow(kAuthenticatedUsers, 0x40000000)}}, {kAuthenticatedUsers}},
      {"an allowing entry that names nobody readable",
       {true, 0, kSystem, true, {allow("", kAddFile)}},
       {"an entry of unknown kind"}},
      {"each writer once", {true, 0, kSystem, true, {allow(kUsers, kAddFile), allow(kUsers, kWriteDac)}}, {kUsers}},
  };
  for (const auto& c : cases) EXPECT_EQ(untrustedWriters(c.security), c.writers) << c.name;
}

class Machine : public FolderRights {
 public:
  bool system = true;
  std::map<std::wstring, FolderSecurity> folders;
  std::vector<std::wstring> asked;
  bool runsAsSystemAccount() override { return system; }
  std::wstring workingDirectory() override { return L"C:\\Tools\\Recovery"; }
  std::wstring programFolder() override { return L"C:\\Program Files\\Recovery"; }
  FolderSecurity securityOf(const std::wstring& folder) override {
    asked.push_back(folder);
    return folders.at(folder);
  }
};

TEST(FolderRights, TheRuleHoldsForTheSystemAccountInBothFolders) {
  const FolderSecurity locked{true, 0, kAdministrators, true, {allow(kAdministrators, kFull), allow(kSystem, kFull)}};
  const FolderSecurity open{true, 0, kAdministrators, true, {allow(kUsers, kAddFile)}};
  const FolderSecurity unreadable{false, 5, {}, true, {}};
  const struct {
    const char* name;
    bool system;
    FolderSecurity working, program;
    const char* refusal;  // a part of the line; null: bound
  } cases[] = {
      {"an administrator is not held to it", false, open, open, nullptr},
      {"both locked", true, locked, locked, nullptr},
      {"the working directory open", true, open, locked, "the folder \"C:\\Tools\\Recovery\" lets others"},
      {"the program folder open", true, locked, open, "the folder \"C:\\Program Files\\Recovery\" lets others"},
      {"rights that cannot be read", true, unreadable, locked,
       "could not read who may change the folder \"C:\\Tools\\Recovery\" (system error 5)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Machine machine;
    machine.system = c.system;
    machine.folders = {{L"C:\\Tools\\Recovery", c.working}, {L"C:\\Program Files\\Recovery", c.program}};
    const std::optional<std::string> refusal = libraryFolderRefusal(machine);
    if (!c.refusal) {
      EXPECT_FALSE(refusal) << *refusal;
      continue;
    }
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find(c.refusal), std::string::npos) << *refusal;
    EXPECT_NE(refusal->find("/inheritance:r /grant:r \"*S-1-5-32-544:(OI)(CI)F\" \"*S-1-5-18:(OI)(CI)F\""),
              std::string::npos)
        << "the guide's lock-down command: " << *refusal;
  }
}

}  // namespace
