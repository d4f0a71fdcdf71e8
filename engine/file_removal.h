// The removal of an encrypted file after its decryption, decided on the file's handle. The file was listed
// in a folder whose final path the walk took when it opened the folder; between the listing and the
// removal (the library may take minutes) a folder of the path can be swapped for a junction, or the file
// for a link, and a removal by path would then delete a file anywhere on the machine with the tool's
// rights. So the file is opened without following a link at its name, and removed through that handle only
// when the handle reaches a file that is no link and whose final path is the listed folder's final path
// joined with its name. Final paths are compared with each other, never with the path as given, so a subst
// letter, a mapped drive, a short name, letter case or a junction inside the scan path itself changes
// nothing.
#pragma once

#include <cstdint>
#include <string>

#include "engine/file_handles.h"

struct Removal {
  enum Outcome {
    Removed,   // the encrypted file is gone
    Refused,   // it stays: the handle showed something else than the listed file, or the system said no
    NotTaken,  // it stays: no removal was tried
  };
  enum Reason {
    None,                 // removed
    BackupChosen,         // not taken: the user keeps the encrypted files
    NotDecrypted,         // not taken: the library did not decrypt it
    ListedFolderUnknown,  // not taken: the listed folder's final path could not be read (error)
    IsALink,              // refused: the handle reaches a link (a name-surrogate reparse point)
    ElsewhereNow,         // refused: the handle's final path is not the listed one (finalPath)
    SystemError,          // refused: opening, asking or deleting failed (error)
  };
  Outcome outcome = NotTaken;
  Reason reason = NotDecrypted;
  uint32_t error = 0;      // with ListedFolderUnknown and SystemError: the system error code
  std::wstring finalPath;  // with ElsewhereNow: where the path led
};

// Removes the file at path (as the library got it) when its handle reaches the listed file: the folder's
// final path at listing time joined with the listed name. An empty listed folder path means it could not
// be read (listedFolderError): no removal is tried.
Removal removeListedFile(FileHandles& files, const std::wstring& path, const std::wstring& listedFolderFinalPath,
                         const std::wstring& listedName, uint32_t listedFolderError);

// The Debug line for a removal that was refused or not taken for a reason other than the user's choice;
// empty for a file removed, kept as a backup or not decrypted. systemMessage turns an error code into text.
std::string removalLine(const std::string& shownPath, const Removal& removal, const std::string& systemMessage);
