// An output file on the machine: made new in place of whatever is at the path, checked on the handle itself,
// then written one whole line at a time.
#include <windows.h>

#include <fmt/format.h>

#include "console/machine_facts.h"
#include "console/output_file.h"
#include "engine/folder_system.h"
#include "engine/long_path.h"
#include "text/encodings.h"

namespace {

class OutputFile : public LineSink {
 public:
  explicit OutputFile(HANDLE file) : file_(file) {}
  ~OutputFile() override { CloseHandle(file_); }

  bool writeLine(std::string_view line) override {
    if (error_ != 0) return false;
    std::string whole(line);
    whole += '\n';
    const char* next = whole.data();
    size_t left = whole.size();
    while (left > 0) {
      DWORD written = 0;
      if (!WriteFile(file_, next, static_cast<DWORD>(left), &written, nullptr) || written == 0) {
        error_ = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        return false;
      }
      next += written;
      left -= written;
    }
    // A share or a disk cache must not hold back what a killed or shut-down run already wrote.
    if (!FlushFileBuffers(file_) && GetLastError() != ERROR_INVALID_FUNCTION) {
      error_ = GetLastError();
      return false;
    }
    return true;
  }
  uint32_t error() const override { return error_; }

 private:
  HANDLE file_;
  uint32_t error_ = 0;
};

}  // namespace

OutputOpening openOutputFile(const std::wstring& path) {
  OutputOpening opening;
  const std::wstring forSystem = systemPathFor(path, PathUse::File, systemFullPathOf);
  // CREATE_NEW makes a file or fails when any name is there, a link too, dangling or not (Wine, whose file
  // links are the Unix system's, answers the same): what was there is never opened, so never written.
  // Readers may watch the file grow; no other writer may interleave.
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 3 && file == INVALID_HANDLE_VALUE; ++attempt) {
    file = CreateFileW(forSystem.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file != INVALID_HANDLE_VALUE) break;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      opening.problem = systemMessageUtf8(error);
      return opening;
    }
    // The name goes, not what it names: DeleteFileW removes a link itself and one name of a file with
    // several; it refuses a folder. An earlier report at the same path is replaced so: the newest run's
    // report is the one read.
    if (!DeleteFileW(forSystem.c_str())) {
      opening.problem = "could not replace what is at that path: " + systemMessageUtf8(GetLastError());
      return opening;
    }
  }
  if (file == INVALID_HANDLE_VALUE) {
    opening.problem = "something comes back at that path each time it is replaced";
    return opening;
  }
  OpenedFileFacts facts;
  facts.onDisk = GetFileType(file) == FILE_TYPE_DISK;
  if (facts.onDisk) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
      opening.problem = systemMessageUtf8(GetLastError());
      CloseHandle(file);
      return opening;
    }
    facts.attributes = info.dwFileAttributes;
    facts.links = info.nNumberOfLinks;
  }
  opening.problem = outputFileRefusal(facts);
  if (!opening.problem.empty()) {
    CloseHandle(file);
    return opening;
  }
  opening.sink = std::make_unique<OutputFile>(file);
  return opening;
}
