// Opens a file of the tool's own, in a folder of the tool's choosing (the log in the temporary folder), to
// append to it, so that nothing planted at its place can redirect the write. The tool runs elevated and
// the folder may come from the user's environment: a link or a second hard link put where the file goes
// would make the tool append to any file on the machine. So the file is opened by its wide path without
// following a reparse point at its name, created only when it does not exist yet, and written only when
// its handle reaches a plain file with a single name whose final path is the folder's final path joined
// with the file's name. A file the opening itself created is removed again when it is refused.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/file_handles.h"

struct AppendOpening {
  enum Refusal {
    None,           // file is open for appending
    FolderUnknown,  // the folder's final path could not be read
    CannotOpen,     // the system refused to open or create it (error)
    ReparsePoint,   // the handle reaches a reparse point: a link, or something that is not a plain file
    SeveralLinks,   // the file has more than one name: another of them may be anywhere on the volume
    ElsewhereNow,   // the handle's final path is not the file's own (finalPath), or it could not be read
  };
  std::unique_ptr<HeldFile> file;  // null unless refusal is None
  Refusal refusal = None;
  uint32_t error = 0;
  std::wstring finalPath;
};

// folderFinalPath: the folder's final path (FileHandles::finalPathOfFolder), empty when unknown; path: the
// folder joined with name, as the file is opened.
AppendOpening openForAppending(FileHandles& files, const std::wstring& path, const std::wstring& folderFinalPath,
                               const std::wstring& name);

// One line for the person at a console: why the file was not written, after the subject (such as
// `The log file "C:\...\OstrivelLog.txt"`); empty when it was opened.
std::string appendRefusalLine(const std::string& subject, const AppendOpening& opening,
                              const std::string& systemMessage);
