// What the tool asks of one open file, by its handle rather than by its path: a path can be redirected
// between two calls (a folder swapped for a junction, a file for a link), a handle cannot. The removal of
// an encrypted file and the log's opening are decided from these answers (file_removal.h,
// app/log_file.h); the system's answers are in file_handles_win32.cpp, and tests hand in a machine of
// their own that answers as Windows does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/read_only_removal.h"

// What the handle says of the file it reaches.
struct HandleFacts {
  uint32_t attributes = 0;  // FILE_ATTRIBUTE_*
  uint32_t reparseTag = 0;  // meaningful only with the reparse-point attribute
  uint32_t links = 0;       // the number of hard links (names) of the file
};

// Also a file that can be marked for deletion, a read-only one included (read_only_removal.h): the
// removal asks for its attributes too.
class HeldFile : public DeletableFile {
 public:
  virtual ~HeldFile() = default;  // closes the handle; a file marked for deletion goes with its last handle
  virtual bool facts(HandleFacts& facts, uint32_t& error) = 0;
  // The file's final path as the system resolves it now (GetFinalPathNameByHandleW, normalized, with the
  // drive letter: "\\?\C:\..." or "\\?\UNC\server\share\..."); empty with the error when unknown.
  virtual std::wstring finalPath(uint32_t& error) = 0;
  // Writes the bytes at the file's end (a handle opened for appending).
  virtual bool append(std::string_view bytes, uint32_t& error) = 0;
};

enum class OpenFor {
  Removal,    // delete access and the attributes' reading and writing, sharing read, write and delete, an
              // existing file only
  Appending,  // append-only data access, sharing read and write, an existing file only
  Creating,   // append-only data access and delete access, a new file only (it must not exist yet)
};

class FileHandles {
 public:
  virtual ~FileHandles() = default;
  // Opens the path without following a reparse point at its last name (the link itself is opened, not
  // what it points to); folders on the way are resolved as the system resolves them. Null with the error
  // when it cannot.
  virtual std::unique_ptr<HeldFile> open(const std::wstring& path, OpenFor use, uint32_t& error) = 0;
  // The final path of a folder, links followed; empty with the error when unknown.
  virtual std::wstring finalPathOfFolder(const std::wstring& folder, uint32_t& error) = 0;
};

// The machine the program runs on.
FileHandles& systemFileHandles();

// The system's error codes that the callers tell apart.
inline constexpr uint32_t kErrorFileExists = 80;  // ERROR_FILE_EXISTS
