// Who may change the folders the decryption library is bound from. As the system account the tool binds a
// library found in its working directory and runs the library with the machine's highest rights, so a
// folder that someone else may write into is a place to plant one. The rule is decided here from the
// folder's owner and access entries; the system's answers are in folder_rights_win32.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One entry of a folder's access list, as the system's security descriptor holds it.
struct AccessEntry {
  bool allows = true;        // an access-allowed entry; denials grant nothing and are only listed
  bool inheritOnly = false;  // applies to what is created inside, not to the folder itself
  uint32_t mask = 0;         // the access rights it grants
  std::string sid;           // "S-1-5-18"; empty when the entry's kind does not say whom it names
};

struct FolderSecurity {
  bool read = false;    // false: the rights could not be read, error says why
  uint32_t error = 0;   // system error code
  std::string owner;    // the owner's SID
  bool hasDacl = true;  // false: no access list at all, which lets everyone do everything
  std::vector<AccessEntry> entries;
};

class FolderRights {
 public:
  virtual ~FolderRights() = default;
  // True when the process runs as the system account (LocalSystem, S-1-5-18).
  virtual bool runsAsSystemAccount() = 0;
  virtual std::wstring workingDirectory() = 0;  // full path
  virtual std::wstring programFolder() = 0;     // the folder of the running program, full path
  virtual FolderSecurity securityOf(const std::wstring& folder) = 0;
};

// The machine the program runs on.
FolderRights& systemFolderRights();

// The rights that let one put a file into a folder, or give oneself that right: add a file or a folder,
// delete what is inside or the folder itself, change its access list or owner, and the generic write and all.
inline constexpr uint32_t kFolderWriteRights =
    0x0002 | 0x0004 | 0x0040 | 0x00010000 | 0x00040000 | 0x00080000 | 0x10000000 | 0x40000000;

// Whom the folder lets change it besides Administrators, SYSTEM and TrustedInstaller, each once, in the
// order found: the owner first when it is someone else (an owner may always rewrite the access list),
// "everyone" for a folder without an access list, and "an entry of unknown kind" where an allowing entry
// does not say whom it names.
std::vector<std::string> untrustedWriters(const FolderSecurity& security);

// Run by the library binding before it looks at the working directory: empty when the library may be
// bound, otherwise the one Debug line that says why not (the folder, who may write there, and the guide's
// command that locks it down). Outside the system account every folder is accepted, as before.
std::optional<std::string> libraryFolderRefusal(FolderRights& rights);
