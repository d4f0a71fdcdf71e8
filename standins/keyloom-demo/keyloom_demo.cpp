// The DemoVault decryption library: restores the files of the demonstration family of FORMAT.md.
#include <windows.h>

#include <filesystem>
#include <fmt/format.h>
#include <optional>
#include <string_view>
#include <vector>

#include "demo_cipher.h"
#include "engine/library_abi.h"
#include "file_io.h"
#include "kit/template-library/path_queries.h"
#include "kit/template-library/safe_restore.h"
#include "text/encodings.h"

namespace {

constexpr uint32_t kVerifyOption = 10;

const ToolOption kVerify{"Verify each decrypted file",
                         nullptr,
                         "Reads every restored file back and compares it with the decrypted content.",
                         nullptr,
                         true,
                         kVerifyOption};

struct Session {
  demo::Key key{};
  bool verify = true;
  bool replace = false;
  LogCallback log = nullptr;
};
Session session;

void log(const std::string& message, int level) {
  if (session.log) session.log(message, level);
}

bool checked(const std::vector<OptionChoice>& choices, uint32_t id, bool fallback) {
  for (const OptionChoice& choice : choices) {
    if (choice.id == id) return choice.checked;
  }
  return fallback;
}

// The first clean file of the folder whose encrypted copy sits beside it and gives a key. The folder is
// listed and read through the system (file_io.h), never asked of std::filesystem.
std::optional<demo::Key> keyFromPairs(const std::wstring& folder) {
  for (const std::wstring& cleanPath : demo::filesIn(folder)) {
    if (std::filesystem::path(cleanPath).extension() == demo::kExtension) continue;  // names only, no query
    const std::wstring encryptedPath = cleanPath + std::wstring(demo::kExtension.begin(), demo::kExtension.end());
    demo::Bytes clean, encrypted;
    if (demo::readWholeFile(cleanPath, clean) != 0) continue;
    if (demo::readWholeFile(encryptedPath, encrypted) != 0) continue;
    if (auto key = demo::recoverKey(clean, encrypted)) {
      log(fmt::format("DemoVault: key recovered from the pair \"{}\".", text::utf8_from_wide(cleanPath)), 1);
      return key;
    }
  }
  return std::nullopt;
}

std::string shown(const std::wstring& path) { return text::utf8_from_wide(path); }

// A full disk is NoDiskSpace; anything else that goes wrong is Failed.
FileResult answerFor(uint32_t error, const char* what, const std::wstring& path) {
  log(fmt::format("DemoVault: could not {} \"{}\" (error {}).", what, shown(path), error), 0);
  return safe_restore::isDiskFull(error) ? NoDiskSpace : Failed;
}

// Restores one file in chunks through a temporary file beside the clean name (safe_restore.h), so that no
// answer but Decrypted leaves anything under that name, and an earlier restored file stays whole until the
// new one is complete and in place.
FileResult restore(const std::wstring& path) {
  safe_restore::Source source;
  if (const uint32_t error = source.open(path)) return answerFor(error, "read", path);
  std::vector<uint8_t> chunk(safe_restore::kChunkSize);
  size_t got = 0;
  if (const uint32_t error = source.read(chunk.data(), demo::kHeaderSize, got)) return answerFor(error, "read", path);
  const std::optional<uint64_t> size = demo::statedSize(chunk.data(), got);
  if (!size) return NotEncrypted;
  if (*size != source.size() - demo::kHeaderSize) {
    log(fmt::format("DemoVault: \"{}\" is damaged.", shown(path)), 0);
    return Failed;
  }

  const std::wstring target = path.substr(0, path.size() - demo::kExtension.size());
  if (!session.replace && path_queries::attributesOf(target)) {
    log(fmt::format("DemoVault: \"{}\" already exists and is kept.", shown(target)), 0);
    return NotEncrypted;
  }
  safe_restore::Output output(target);
  if (const uint32_t error = output.create()) return answerFor(error, "write", target);
  demo::Keystream keystream(session.key);
  const auto decrypt = [&keystream](uint8_t* data, size_t n) { keystream.apply(data, n); };
  uint64_t restored = 0;
  const char* step = "";
  if (const uint32_t error =
          safe_restore::copyThrough(source, output, chunk, decrypt, session.verify, restored, step)) {
    if (std::string_view(step) == "check") {
      log(fmt::format("DemoVault: \"{}\" did not read back as written.", shown(target)), 0);
      return Failed;
    }
    return answerFor(error, step, std::string_view(step) == "read" ? path : target);
  }
  if (restored != *size) {
    log(fmt::format("DemoVault: \"{}\" changed while it was read.", shown(path)), 0);
    return Failed;
  }
  if (const uint32_t error = output.commit(source, session.replace)) {
    if (safe_restore::isTargetThere(error)) {
      log(fmt::format("DemoVault: \"{}\" already exists and is kept.", shown(target)), 0);
      return NotEncrypted;
    }
    return answerFor(error, "put in place", target);
  }
  log(fmt::format("DemoVault: restored \"{}\".", shown(target)), 0);
  return Decrypted;
}

}  // namespace

// Every export catches whatever is thrown: an exception that left the library would end an i386 tool at once.
extern "C" {

__declspec(dllexport) bool GetInfo(ToolInfo* info) {
  try {
    info->name = "DemoVault";
    info->description =
        "Restores files encrypted by DemoVault, the demonstration family (extension .kyl). "
        "It needs a folder holding one clean file and its encrypted copy.";
    info->scanPathEnabled = true;
    info->testPathEnabled = true;
    info->backupEnabled = true;
    info->overwriteEnabled = true;
    info->wholeScanEnabled = true;
    info->options = {kVerify};
    return true;
  } catch (...) {
    return false;
  }
}

__declspec(dllexport) bool Init(InitParams* params, std::string* errorText) {
  try {
    session = Session{};
    session.log = params->log;
    session.verify = checked(params->options, kVerifyOption, true);
    session.replace = checked(params->options, OptionOverwrite, false);
    if (params->testPath.empty()) {
      *errorText = "DemoVault needs a folder with a clean file and its encrypted copy.";
      return false;
    }
    const auto key = keyFromPairs(params->testPath);
    if (!key) {
      *errorText = "No clean file with its encrypted copy (name and name.kyl) was found in the test folder.";
      log("DemoVault: no usable file pair in the test folder.", 1);
      return false;
    }
    session.key = *key;
    return true;
  } catch (...) {
    try {
      *errorText = "DemoVault could not start.";
    } catch (...) {
    }
    return false;
  }
}

__declspec(dllexport) int32_t DecryptSingleFile(const std::filesystem::path* file) {
  try {
    if (file->extension() != demo::kExtension) return NotEncrypted;
    return restore(file->native());
  } catch (...) {
    return Failed;
  }
}

__declspec(dllexport) bool Finish() {
  try {
    log("DemoVault: finished.", 1);
  } catch (...) {
  }
  session = Session{};
  return true;
}

}  // extern "C"
