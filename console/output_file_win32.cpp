// An output file on the machine: made new beside the path, checked on its handle, put in the path's place by
// a rename, then written one whole line at a time.
#include <windows.h>

#include <fmt/format.h>
#include <fmt/xchar.h>

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

namespace {

// Gives up the file this program made under its own name.
void discard(HANDLE file, const std::wstring& name) {
  CloseHandle(file);
  DeleteFileW(name.c_str());
}

}  // namespace

OutputOpening openOutputFile(const std::wstring& path) {
  OutputOpening opening;
  const std::wstring forSystem = systemPathFor(path, PathUse::File, systemFullPathOf);
  // The file is made under a name of its own beside the path, with CREATE_NEW, which fails on any name that
  // exists, so nothing that was there is opened. It then takes the path's name by a rename, which replaces
  // the name that is there (a link itself, one name of a file with several), never what that name leads to.
  // Neither deleting the name first nor opening it would do: Wine deletes and opens a file link's target
  // even with FILE_FLAG_OPEN_REPARSE_POINT. Readers may watch the file grow; no other writer may interleave.
  HANDLE file = INVALID_HANDLE_VALUE;
  std::wstring fresh;
  for (int attempt = 0; attempt < 3 && file == INVALID_HANDLE_VALUE; ++attempt) {
    fresh = forSystem + fmt::format(L".{}-{}-{}.new", GetCurrentProcessId(), GetTickCount64(), attempt);
    // Sharing the right to delete lets the rename below move it while this handle stays open.
    file = CreateFileW(fresh.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
      opening.problem = systemMessageUtf8(GetLastError());
      return opening;
    }
  }
  if (file == INVALID_HANDLE_VALUE) {
    opening.problem = "no name beside that path is free for a new file";
    return opening;
  }
  OpenedFileFacts facts;
  facts.onDisk = GetFileType(file) == FILE_TYPE_DISK;
  BY_HANDLE_FILE_INFORMATION info{};
  if (facts.onDisk && GetFileInformationByHandle(file, &info)) {
    facts.attributes = info.dwFileAttributes;
    facts.links = info.nNumberOfLinks;
  }
  opening.problem = outputFileRefusal(facts);
  if (!opening.problem.empty()) {
    discard(file, fresh);
    return opening;
  }
  // An earlier report at the same path is replaced so: the newest run's report is the one read.
  if (!MoveFileExW(fresh.c_str(), forSystem.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    opening.problem = "could not replace what is at that path: " + systemMessageUtf8(GetLastError());
    discard(file, fresh);
    return opening;
  }
  opening.sink = std::make_unique<OutputFile>(file);
  return opening;
}
