// The delete disposition of an encrypted file after its decryption, on a handle opened with delete access and
// the right to read and write its attributes. A read-only file refuses the plain disposition (ERROR_ACCESS_DENIED,
// the system's STATUS_CANNOT_DELETE), and ransomware, a backup tool or a synced folder often leaves files
// read-only, so:
// - where the system has it (Windows 10 version 1809 on, on NTFS), one call marks the file with the disposition
//   that ignores the read-only attribute, with POSIX semantics, so that the name goes at once even while
//   another program holds the file open with delete sharing;
// - elsewhere that call is refused as unknown (ERROR_INVALID_PARAMETER on older systems, on FAT and on many
//   network shares; ERROR_NOT_SUPPORTED, ERROR_INVALID_FUNCTION), and the plain disposition is set; when that is
//   refused for a read-only file, the attribute is cleared and the disposition set again, and if it is still
//   refused the attribute is put back, so a file that stays is as it was.
// The answers are in system_platform.cpp; tests hand in a file that answers as Windows does.
#pragma once

#include <cstdint>

class DeletableFile {
 public:
  virtual ~DeletableFile() = default;
  // SetFileInformationByHandle(FileDispositionInfoEx) with FILE_DISPOSITION_FLAG_DELETE,
  // FILE_DISPOSITION_FLAG_POSIX_SEMANTICS and FILE_DISPOSITION_FLAG_IGNORE_READONLY_ATTRIBUTE.
  virtual bool markForDeletionIgnoringReadOnly(uint32_t& error) = 0;
  // SetFileInformationByHandle(FileDispositionInfo) with DeleteFile set.
  virtual bool markForDeletion(uint32_t& error) = 0;
  // The file's attributes (FILE_BASIC_INFO), and a change of them.
  virtual bool attributes(uint32_t& attributes, uint32_t& error) = 0;
  virtual bool setAttributes(uint32_t attributes, uint32_t& error) = 0;
};

// Marks the file for deletion, a read-only one included; it goes when the handle is closed. 0, or the system
// error code that kept it.
uint32_t markForDeletionEvenIfReadOnly(DeletableFile& file);
