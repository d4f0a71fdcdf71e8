// A decryption library for tests: its answers come from a configuration file and it records every call.
// The configuration file is named by the environment variable KEYLOOM_TEST_CONFIG, or else is the file
// beside this library with ".cfg" appended to its name (Keyloom.dll.cfg); without such a file, a
// configuration appended to the library file itself is used (appendedConfig, for a copy of the library that
// travels alone, as into kit/check-library.sh's sandbox). Its keys are in test_config.h.
// Calls are recorded (call_record.h) to the file of the "record" key, or else beside the library with
// ".record" appended (Keyloom.dll.record).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "call_record.h"
#include "engine/library_abi.h"
#include "test_config.h"
#include "text/encodings.h"

// Variants of this library built without one export (KEYLOOM_TEST_WITHOUT_<name>) test the binding.
#define KEYLOOM_EXPORT __declspec(dllexport)
#ifdef KEYLOOM_TEST_WITHOUT_GETINFO
#define EXPORT_GETINFO
#else
#define EXPORT_GETINFO KEYLOOM_EXPORT
#endif
#ifdef KEYLOOM_TEST_WITHOUT_INIT
#define EXPORT_INIT
#else
#define EXPORT_INIT KEYLOOM_EXPORT
#endif
#ifdef KEYLOOM_TEST_WITHOUT_DECRYPTSINGLEFILE
#define EXPORT_DECRYPTSINGLEFILE
#else
#define EXPORT_DECRYPTSINGLEFILE KEYLOOM_EXPORT
#endif
#ifdef KEYLOOM_TEST_WITHOUT_FINISH
#define EXPORT_FINISH
#else
#define EXPORT_FINISH KEYLOOM_EXPORT
#endif

// A variant that needs a DLL of its own (KEYLOOM_TEST_WITH_DEPENDENCY), found only in its folder, tests
// where the tool lets the library's dependencies come from.
#ifdef KEYLOOM_TEST_WITH_DEPENDENCY
extern "C" __declspec(dllimport) const char* keyloom_test_dependency_name();
#endif

namespace {

using keyloom_test::Config;

std::wstring modulePath() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&modulePath), &self);
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

// The file's bytes, or nothing when it cannot be opened.
std::optional<std::string> readText(const std::wstring& path) {
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return std::nullopt;
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  return text;
}

const Config& config() {
  static const Config loaded = [] {
    wchar_t named[32768];
    const DWORD length = GetEnvironmentVariableW(L"KEYLOOM_TEST_CONFIG", named, 32768);
    if (length > 0 && length < 32768)
      return keyloom_test::parseConfig(readText(std::wstring(named, length)).value_or(""));
    if (const auto beside = readText(modulePath() + L".cfg")) return keyloom_test::parseConfig(*beside);
    const auto appended = keyloom_test::appendedConfig(readText(modulePath()).value_or(""));
    return keyloom_test::parseConfig(appended.value_or(""));
  }();
  return loaded;
}

void record(const std::string& line) {
  if (config().recordPath == "none") return;  // benchmarks measure the tool, not this file
  static const std::wstring path =
      config().recordPath.empty() ? modulePath() + L".record" : text::wide_from_utf8(config().recordPath);
  if (FILE* file = _wfopen(path.c_str(), L"ab")) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fclose(file);
  }
}

// The library's texts must outlive every call: they are built once and kept.
struct Published {
  std::vector<std::string> texts;
  std::vector<ToolOption> options;
};

Published& published() {
  static Published* kept = [] {
    auto* p = new Published();
    p->texts.reserve(2 + 2 * config().options.size());
    for (const auto& option : config().options) {
      p->texts.push_back(option.name);
      const char* name = p->texts.back().c_str();
      p->texts.push_back(option.description);
      p->options.push_back({name, nullptr, p->texts.back().c_str(), nullptr, option.checked, option.id});
    }
    return p;
  }();
  return *kept;
}

// What Init received, kept the way a faulty library keeps it: the pointer, not a copy (useInitParams).
InitParams* initParams = nullptr;
// Init's callback, kept by copy as the contract allows, for the line Finish leaves behind (finishLog).
LogCallback initLog = nullptr;

// Init's Replace choice (option 3), for the careless writer.
bool replaceChosen = false;

// What a library that writes its clean copy straight under the final name does: truncates what is there,
// writes, and removes the file when a write fails. A kill half-way leaves a truncated file under that name,
// and a full disk costs the file an earlier run restored. Answers the result a failed write gives, if one did.
std::optional<int32_t> writeCarelessly(const std::filesystem::path& file) {
  const std::wstring target = file.native() + L".restored";
  if (!replaceChosen && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) return std::nullopt;
  const HANDLE in = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return Failed;
  const HANDLE out =
      CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::optional<int32_t> failed;
  if (out == INVALID_HANDLE_VALUE) failed = Failed;
  char buffer[65536];
  DWORD got = 0;
  while (!failed && ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    DWORD written = 0;
    if (!WriteFile(out, buffer, got, &written, nullptr) || written != got) {
      failed = GetLastError() == ERROR_DISK_FULL ? NoDiskSpace : Failed;
    }
  }
  CloseHandle(in);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (failed) DeleteFileW(target.c_str());
  return failed;
}

// Through the system's own calls on the exact path given, which may be in the long-path form, and so that
// askFilesystem alone brings std::filesystem's queries into this library.
std::optional<int32_t> alter(const keyloom_test::AlterRule& rule, const std::filesystem::path& file) {
  switch (rule.action) {
    case keyloom_test::AlterRule::Copy:
      CopyFileW(file.c_str(), (file.native() + L".restored").c_str(), FALSE);
      break;
    case keyloom_test::AlterRule::Delete:
      DeleteFileW(file.c_str());
      break;
    case keyloom_test::AlterRule::Overwrite: {
      const HANDLE out =
          CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (out == INVALID_HANDLE_VALUE) break;
      const char text[] = "overwritten by the test library";
      DWORD written = 0;
      WriteFile(out, text, sizeof text - 1, &written, nullptr);
      CloseHandle(out);
      break;
    }
    case keyloom_test::AlterRule::Write:
      return writeCarelessly(file);
  }
  return std::nullopt;
}

// appendTo: a line added to files outside what the library was given, once per process. The record says
// for each whether the system let it: a sandbox that holds shows an error here.
void appendToFiles() {
  static bool done = false;
  if (done) return;
  done = true;
  for (const std::string& target : config().appendTo) {
    const HANDLE file = CreateFileW(text::wide_from_utf8(target).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      record("appendTo\t" + target + "\terror " + std::to_string(GetLastError()));
      continue;
    }
    const char line[] = "\nappended by the test library\n";
    DWORD written = 0;
    const bool wrote = WriteFile(file, line, sizeof line - 1, &written, nullptr) && written == sizeof line - 1;
    CloseHandle(file);
    record("appendTo\t" + target + (wrote ? "\tappended" : "\twrite error " + std::to_string(GetLastError())));
  }
}

}  // namespace

extern "C" {

EXPORT_GETINFO bool GetInfo(ToolInfo* info) {
  record("GetInfo");
  appendToFiles();
  const Config& c = config();
  info->name = c.name.c_str();
#ifdef KEYLOOM_TEST_WITH_DEPENDENCY
  info->name = keyloom_test_dependency_name();
#endif
  info->description = c.description.c_str();
  info->scanPathEnabled = c.scanPath;
  info->testPathEnabled = c.testPath;
  info->backupEnabled = c.backup;
  info->overwriteEnabled = c.overwrite;
  info->wholeScanEnabled = c.wholeScan;
  info->options = published().options;
  return true;
}

EXPORT_INIT bool Init(InitParams* params, std::string* errorText) {
  record(keyloom_test::initLine(*params));
  initParams = params;
  initLog = params->log;
  replaceChosen = false;
  for (const OptionChoice& choice : params->options) {
    if (choice.id == OptionOverwrite) replaceChosen = choice.checked;
  }
  for (const auto& line : config().initLog) {
    if (params->log) params->log(line.message, line.level);
  }
  if (config().initDelay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(config().initDelay));
  if (!config().initSucceeds) *errorText = config().initError;
  return config().initSucceeds;
}

EXPORT_DECRYPTSINGLEFILE int32_t DecryptSingleFile(const std::filesystem::path* file) {
  const std::string path = text::utf8_from_wide(file->native());
  const std::string name = text::utf8_from_wide(file->filename().native());
  record("Begin\t" + path);
  const int32_t delay = keyloom_test::firstMatch(config().delays, name, 0);
  if (delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
  for (const std::string& pattern : config().throwing) {
    if (keyloom_test::matchesPattern(pattern, name)) {
      record("DecryptSingleFile\t" + path + "\tthrew");
      throw std::runtime_error("test library failure");
    }
  }
  for (const std::string& pattern : config().staleParams) {
    if (keyloom_test::matchesPattern(pattern, name) && initParams && initParams->log) {
      initParams->log("test library: the test path is " + text::utf8_from_wide(initParams->testPath), 1);
    }
  }
  for (const std::string& pattern : config().askFilesystem) {
    std::error_code ignored;
    if (keyloom_test::matchesPattern(pattern, name) && !std::filesystem::exists(*file, ignored)) {
      record("DecryptSingleFile\t" + path + "\t" + std::to_string(Failed));
      return Failed;
    }
  }
  std::optional<int32_t> altered;
  for (const auto& rule : config().alterations) {
    if (keyloom_test::matchesPattern(rule.pattern, name)) altered = alter(rule, *file);
  }
  const int32_t result = altered ? *altered : keyloom_test::firstMatch(config().results, name, NotEncrypted);
  record("DecryptSingleFile\t" + path + "\t" + std::to_string(result));
  return result;
}

EXPORT_FINISH bool Finish() {
  record("Finish");
  if (config().finishLogDelay >= 0 && initLog) {
    std::thread([delay = config().finishLogDelay, log = initLog] {
      std::this_thread::sleep_for(std::chrono::milliseconds(delay));
      log(config().finishLog, 0);
    }).detach();
  }
  return true;
}

}  // extern "C"
