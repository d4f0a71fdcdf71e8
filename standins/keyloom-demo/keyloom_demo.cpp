// The DemoVault decryption library: restores the files of the demonstration family of FORMAT.md.
#include <windows.h>

#include <filesystem>
#include <fmt/format.h>
#include <optional>

#include "demo_cipher.h"
#include "engine/library_abi.h"
#include "file_io.h"
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

}  // namespace

extern "C" {

__declspec(dllexport) bool GetInfo(ToolInfo* info) {
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
}

__declspec(dllexport) bool Init(InitParams* params, std::string* errorText) {
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
}

__declspec(dllexport) int32_t DecryptSingleFile(const std::filesystem::path* file) {
  const std::wstring& path = file->native();
  if (file->extension() != demo::kExtension) return NotEncrypted;
  demo::Bytes encrypted;
  if (const uint32_t error = demo::readWholeFile(path, encrypted); error != 0) {
    log(fmt::format("DemoVault: could not read \"{}\" (error {}).", text::utf8_from_wide(path), error), 0);
    return Failed;
  }
  demo::Decoded decoded = demo::decrypt(session.key, encrypted);
  if (decoded.damage == demo::Damage::NoMarker) return NotEncrypted;
  if (decoded.damage == demo::Damage::WrongSize) {
    log(fmt::format("DemoVault: \"{}\" is damaged.", text::utf8_from_wide(path)), 0);
    return Failed;
  }

  const std::wstring target = path.substr(0, path.size() - demo::kExtension.size());
  if (demo::fileExists(target) && !session.replace) {
    log(fmt::format("DemoVault: \"{}\" already exists and is kept.", text::utf8_from_wide(target)), 0);
    return NotEncrypted;
  }
  if (const uint32_t error = demo::writeWholeFile(target, decoded.clean); error != 0) {
    log(fmt::format("DemoVault: could not write \"{}\" (error {}).", text::utf8_from_wide(target), error), 0);
    return demo::isDiskFull(error) ? NoDiskSpace : Failed;
  }
  if (session.verify) {
    demo::Bytes written;
    if (demo::readWholeFile(target, written) != 0 || written != decoded.clean) {
      log(fmt::format("DemoVault: \"{}\" did not read back as written.", text::utf8_from_wide(target)), 0);
      return Failed;
    }
  }
  log(fmt::format("DemoVault: restored \"{}\".", text::utf8_from_wide(target)), 0);
  return Decrypted;
}

__declspec(dllexport) bool Finish() {
  log("DemoVault: finished.", 1);
  session = Session{};
  return true;
}

}  // extern "C"
