// Keyloom.dll for a family still to be named: everything the tool needs except the family's own logic.
// Search for "FAMILY:" to find the places to fill in. The rules behind each choice are in
// docs/library-authors.md; keyloom-check tells whether the library keeps them.
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "library_abi.h"
#include "path_queries.h"
#include "safe_restore.h"

namespace {

// FAMILY: your option ids. 1, 2 and 3 are the tool's own; 0 is what it reads for a broken page entry.
constexpr uint32_t kOptionKeepReport = 100;

// FAMILY: set to true when Init needs the user's folder of clean/encrypted file pairs (and the ToolInfo
// flag testPathEnabled with it).
constexpr bool kNeedsTestFolder = false;

// Texts handed to the tool must stay valid while the library is loaded, which is until the process ends:
// string literals and objects that are never destroyed serve. Texts shown on the page are in the ANSI code
// page, so plain ASCII is the safe choice.
const char* const kName = "Template family";
const char* const kDescription =
    "Starting point for a decryption library. It recognises no file yet: every file is left alone.";

// The vector is handed over by copy into ToolInfo, but the texts it points to must outlive every call.
const ToolOption kOwnOptions[] = {
    {"Write a report of restored files", nullptr, "Lists every restored file in the log.", nullptr, false,
     kOptionKeepReport},
};

// What Init hands over lives only for the call: everything kept is copied here.
struct Session {
  LogCallback log = nullptr;
  std::wstring testFolder;
  bool keepReport = false;
  bool replaceExisting = false;  // the tool's option 3: this library decides what it means
};
Session session;

// Log texts are UTF-8 (the page shows them as such); level 0 Info, 1 Debug.
void log(std::string_view message, int level) {
  if (session.log) session.log(message, level);
}

bool chosen(const std::vector<OptionChoice>& choices, uint32_t id, bool fallback) {
  for (const OptionChoice& choice : choices) {
    if (choice.id == id) return choice.checked;
  }
  return fallback;
}

// The path arrives as the scan reached it, often as "\\?\C:\...": hand file->native() to the system as it is
// (CreateFileW, path_queries.h), never to std::filesystem's queries (exists, is_regular_file, file_size,
// remove, ...), which on Windows find no such path. Name the clean file by adding to that text.

// FAMILY: recognise your family's files. Anything that is not certainly yours must be NotEncrypted: after
// Decrypted the tool deletes the file it handed over.
bool isOurs(const std::wstring&) { return false; }

// FAMILY: the name the clean copy gets, beside the encrypted file (never the encrypted file's own name):
// here the path without the family's extension.
std::wstring cleanNameOf(const std::wstring& path) { return path.substr(0, path.size() - 4); }

// FAMILY: decrypt one chunk in place. Chunks come in file order, each kChunkSize long but the last; keep
// whatever state the cipher carries from one chunk to the next.
void decryptChunk(uint8_t*, size_t) {}

// A full disk is NoDiskSpace; anything else that goes wrong is Failed.
FileResult answerFor(uint32_t error, const std::string& what) {
  log("Template family: could not " + what + " (system error " + std::to_string(error) + ").", 0);
  return safe_restore::isDiskFull(error) ? NoDiskSpace : Failed;
}

// Writes the clean content under the temporary name, then moves it into place (safe_restore.h): a kill, a
// full disk or a failed read leaves neither a truncated file under the clean name nor an earlier restored file
// spoiled. Answers Decrypted only once the clean file is complete and in place.
FileResult restore(const std::wstring& path) {
  safe_restore::Source source;
  if (const uint32_t error = source.open(path)) return answerFor(error, "open the encrypted file");
  const std::wstring target = cleanNameOf(path);
  if (!session.replaceExisting && path_queries::attributesOf(target)) {
    log("Template family: the clean file already exists and is kept.", 0);
    return NotEncrypted;
  }
  safe_restore::Output output(target);
  if (const uint32_t error = output.create()) return answerFor(error, "create the clean file");
  std::vector<uint8_t> buffer;
  uint64_t copied = 0;
  const char* step = "";
  // FAMILY: true to read each chunk back and compare it before the next (costs a read from the cache).
  constexpr bool kCheckEachWrite = false;
  if (const uint32_t error =
          safe_restore::copyThrough(source, output, buffer, decryptChunk, kCheckEachWrite, copied, step)) {
    return answerFor(error, step);
  }
  if (const uint32_t error = output.commit(source, session.replaceExisting)) {
    if (safe_restore::isTargetThere(error)) return NotEncrypted;  // it appeared meanwhile, and is kept
    return answerFor(error, "put the clean file in place");
  }
  return Decrypted;
}

}  // namespace

// Exported with C names and the default calling convention: the tool binds them by these exact names.
extern "C" {

__declspec(dllexport) bool GetInfo(ToolInfo* info) {
  // Called once, on the tool's main thread, with a record of zero bytes that the tool keeps. No exception
  // may leave an export, this one included: it would end an i386 tool at once.
  try {
    info->name = kName;
    info->description = kDescription;
    info->scanPathEnabled = true;
    info->testPathEnabled = kNeedsTestFolder;
    info->backupEnabled = true;
    info->overwriteEnabled = true;
    info->wholeScanEnabled = true;
    info->options.assign(std::begin(kOwnOptions), std::end(kOwnOptions));
    return true;
  } catch (...) {
    return false;
  }
}

__declspec(dllexport) bool Init(InitParams* params, std::string* errorText) {
  // No exception may leave an export: the tool's run would end at once.
  try {
    session = Session{};
    session.log = params->log;
    session.testFolder = params->testPath;
    session.keepReport = chosen(params->options, kOptionKeepReport, false);
    session.replaceExisting = chosen(params->options, OptionOverwrite, false);
    if (kNeedsTestFolder) {
      if (session.testFolder.empty() || !path_queries::isFolder(session.testFolder)) {
        *errorText = "Choose the folder that holds a clean file and its encrypted copy.";  // UTF-8
        return false;
      }
    }
    log("Template family: ready.", 1);
    return true;
  } catch (...) {
    try {
      *errorText = "The library could not start.";
    } catch (...) {
    }
    return false;
  }
}

__declspec(dllexport) int32_t DecryptSingleFile(const std::filesystem::path* file) {
  try {
    const std::wstring& path = file->native();
    if (!isOurs(path)) return NotEncrypted;
    const FileResult result = restore(path);
    if (result == Decrypted && session.keepReport) log("Template family: restored a file.", 0);
    return result;
  } catch (...) {
    return Failed;
  }
}

__declspec(dllexport) bool Finish() {
  // The last call of a run. The log callback may be used until this returns, never after.
  try {
    log("Template family: done.", 1);
  } catch (...) {
  }
  session = Session{};
  return true;
}

}  // extern "C"
