// Records and exports shared with the decryption library (Keyloom.dll). The library is built with the same
// compiler and standard library as the tool: strings, vectors and paths cross the boundary by reference.
//
// This header is the whole contract and stands on its own; the rules a library must keep, and why, are in
// docs/library-authors.md of the tool's repository, and kit/keyloom-check checks a library against them.
//
// Texts and their encodings: the names and descriptions of ToolInfo and ToolOption are 8-bit text in the
// ANSI code page; the paths of InitParams and DecryptSingleFile are UTF-16; the error text that Init fills
// is UTF-8; a message passed to LogCallback is opaque bytes for the log file and read as UTF-8 when it is
// shown on the page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct ToolOption {
  const char* name;         // NUL-terminated, ANSI code page
  const void* nameSpare;    // not read by the tool
  const char* description;  // NUL-terminated, ANSI code page
  const void* descriptionSpare;
  bool checkedByDefault;
  uint32_t id;
};

struct ToolInfo {
  const char* name;  // the family's name, ANSI code page
  const void* nameSpare;
  const char* description;
  const void* descriptionSpare[3];
  bool scanPathEnabled;
  bool testPathEnabled;
  bool backupEnabled;
  bool overwriteEnabled;
  bool wholeScanEnabled;
  std::vector<ToolOption> options;
};

struct OptionChoice {
  bool checked;
  uint32_t id;
};

// Option ids that the page, the command line and the run share; the library's own options use others.
enum OptionId : uint32_t {
  OptionBackup = 1,     // keep the encrypted files after decryption
  OptionWholeScan = 2,  // scan every eligible drive instead of the scan path
  OptionOverwrite = 3,  // replace previously decrypted files (the library's business only)
};

// The level numbers of a log message; the library may pass others, which the log writes as "Unknown".
enum LogLevel : int {
  Info = 0,   // run outcome, stop announcement, start of a scan; shown on the page while no run scans
  Debug = 1,  // start-up, library binding, command line; the log file only
};

// One message without line end, UTF-8 (bytes for the log file, read as UTF-8 on the page), with a
// LogLevel. Usable from Init until Finish returns.
using LogCallback = void (*)(std::string_view message, int level);

// Lives only during Init: a library copies what it keeps.
struct InitParams {
  std::wstring scanPath;  // UTF-16
  std::wstring testPath;  // UTF-16
  std::vector<OptionChoice> options;
  LogCallback log;
};

enum FileResult : int32_t {
  NotEncrypted = 0,
  Decrypted = 1,
  NoDiskSpace = 2,
  Failed = 3,
};

// Signatures of the four exports, resolved by name (extern "C", default calling convention). Init's error
// text is UTF-8; DecryptSingleFile returns a FileResult.
using GetInfoFn = bool (*)(ToolInfo* info);
using InitFn = bool (*)(InitParams* params, std::string* errorText);  // errorText: UTF-8
using DecryptSingleFileFn = int32_t (*)(const std::filesystem::path* file);
using FinishFn = bool (*)();

// The layout is part of the contract with libraries built elsewhere: keep it fixed on both processors.
namespace library_abi_layout {
constexpr size_t W = sizeof(void*);
static_assert(sizeof(ToolInfo) == (W == 8 ? 80 : 44));
static_assert(offsetof(ToolInfo, description) == 2 * W);
static_assert(offsetof(ToolInfo, scanPathEnabled) == 6 * W);
static_assert(offsetof(ToolInfo, testPathEnabled) == 6 * W + 1);
static_assert(offsetof(ToolInfo, backupEnabled) == 6 * W + 2);
static_assert(offsetof(ToolInfo, overwriteEnabled) == 6 * W + 3);
static_assert(offsetof(ToolInfo, wholeScanEnabled) == 6 * W + 4);
static_assert(offsetof(ToolInfo, options) == 6 * W + 8);
static_assert(sizeof(std::vector<ToolOption>) == 3 * W);
static_assert(sizeof(ToolOption) == (W == 8 ? 40 : 24));
static_assert(offsetof(ToolOption, description) == 2 * W);
static_assert(offsetof(ToolOption, checkedByDefault) == 4 * W);
static_assert(offsetof(ToolOption, id) == 4 * W + 4);
static_assert(sizeof(OptionChoice) == 8 && offsetof(OptionChoice, id) == 4);
static_assert(offsetof(InitParams, testPath) == (W == 8 ? 32 : 24));
static_assert(offsetof(InitParams, options) == (W == 8 ? 64 : 48));
static_assert(offsetof(InitParams, log) == (W == 8 ? 88 : 60));
static_assert(sizeof(InitParams) == (W == 8 ? 96 : 64));
static_assert(sizeof(FileResult) == 4);
}  // namespace library_abi_layout
