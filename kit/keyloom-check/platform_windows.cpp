#include <windows.h>

#include <array>
#include <atomic>
#include <filesystem>
#include <fmt/format.h>
#include <new>
#include <system_error>

#include "engine/library_loading.h"
#include "platform.h"
#include "protocol.h"
#include "support/child_process.h"
#include "support/file_tree.h"
#include "support/fnv1a.h"

namespace keyloom_check::platform {
namespace {

std::string systemMessage(DWORD code) {
  return fmt::format("system error {}: {}", code, std::system_category().message(static_cast<int>(code)));
}

// Names in the export table, so that a decorated or mangled name can be pointed out.
std::vector<std::string> exportTableNames(HMODULE module) {
  std::vector<std::string> names;
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return names;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (directory.VirtualAddress == 0 || directory.Size == 0) return names;
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
  const auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    names.emplace_back(reinterpret_cast<const char*>(base + nameRvas[i]));
  }
  return names;
}

// --- session process -------------------------------------------------------------------------------

HANDLE protocolFile = INVALID_HANDLE_VALUE;

void writeRaw(const char* text, DWORD length) {
  DWORD written = 0;
  WriteFile(protocolFile, text, length, &written, nullptr);
}

void emitLine(const std::string& line) {
  const std::string withEnd = line + "\n";
  writeRaw(withEnd.data(), static_cast<DWORD>(withEnd.size()));
}

// The pages that held an InitParams record; once Init returned they are unreadable.
std::array<std::atomic<const BYTE*>, 4> retiredPages{};
std::atomic<size_t> pagesUsed{0};
constexpr SIZE_T kPage = 4096;

bool inRetiredPage(ULONG_PTR address) {
  for (const auto& page : retiredPages) {
    const BYTE* begin = page.load();
    if (begin && address >= reinterpret_cast<ULONG_PTR>(begin) && address < reinterpret_cast<ULONG_PTR>(begin) + kPage)
      return true;
  }
  return false;
}

// Runs in the crashed thread with the process in an unknown state: no allocation, no library calls,
// only a fixed buffer and WriteFile.
LONG WINAPI onCrash(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  const bool stale = record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2 &&
                     inRetiredPage(record->ExceptionInformation[1]);
  char line[32] = "crash\t";
  size_t at = 6;
  for (int shift = 28; shift >= 0; shift -= 4) line[at++] = "0123456789abcdef"[(record->ExceptionCode >> shift) & 0xF];
  line[at++] = '\t';
  line[at++] = stale ? '1' : '0';
  line[at++] = '\n';
  writeRaw(line, static_cast<DWORD>(at));
  FlushFileBuffers(protocolFile);
  return EXCEPTION_EXECUTE_HANDLER;
}

InitParams* placeInitParams(InitParams&& params) {
  void* page = VirtualAlloc(nullptr, kPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!page) throw std::bad_alloc();
  return new (page) InitParams(std::move(params));
}

void retireInitParams(InitParams* params) {
  params->~InitParams();
  DWORD previous = 0;
  VirtualProtect(params, kPage, PAGE_NOACCESS, &previous);
  const size_t slot = pagesUsed++;
  if (slot < retiredPages.size()) retiredPages[slot] = reinterpret_cast<const BYTE*>(params);
}

// The library's writes, reached through its own import of WriteFile: while a fault is set, the first write
// gets half of its bytes in, then the process is ended or the disk is full. Writes the library leaves to the C
// runtime, and the checker's own, are not reached.
using WriteFileFunction = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
WriteFileFunction systemWriteFile = nullptr;
std::atomic<WriteFault> writeFault{WriteFault::None};
std::atomic<bool> writeFaultMet{false};

BOOL WINAPI faultyWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
  const WriteFault fault = writeFault.load();
  if (fault == WriteFault::None || file == protocolFile) return systemWriteFile(file, data, size, written, overlapped);
  DWORD done = 0;
  if (!writeFaultMet.exchange(true) && size / 2 > 0) systemWriteFile(file, data, size / 2, &done, overlapped);
  if (fault == WriteFault::Kill) TerminateProcess(GetCurrentProcess(), protocol::kKilledMidWriteExitCode);
  if (written) *written = done;
  SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

// Points every import of `module` that leads to one of `targets` at faultyWriteFile; the count of them.
int redirectImports(HMODULE module, const std::array<ULONG_PTR, 2>& targets) {
  if (!module) return 0;
  const auto* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return 0;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return 0;
  int redirected = 0;
  for (auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name;
       ++import) {
    for (auto* slot = reinterpret_cast<ULONG_PTR*>(const_cast<BYTE*>(base) + import->FirstThunk); *slot; ++slot) {
      if (*slot != targets[0] && *slot != targets[1]) continue;
      DWORD previous = 0;
      if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous)) continue;
      *slot = reinterpret_cast<ULONG_PTR>(&faultyWriteFile);
      VirtualProtect(slot, sizeof *slot, previous, &previous);
      ++redirected;
    }
  }
  return redirected;
}

bool listFolder(const std::wstring& folder, std::vector<FolderEntry>& entries) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return true;
}

bool readFile(const std::wstring& path, std::string& bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return ok;
}

bool writeFile(const std::wstring& path, const std::string& bytes, bool readOnly) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      bytes.empty() ||
      (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size());
  CloseHandle(file);
  return ok && (!readOnly || SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
}

bool makeFolder(const std::wstring& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY;
}

// Links and junctions are recorded as such and never entered: the library may have made one to anywhere.
void snapshotInto(const std::wstring& folder, const std::wstring& prefix, Snapshot& snapshot) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring relative = prefix.empty() ? name : prefix + L"\\" + name;
    EntryState state;
    state.readOnly = found.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      state.kind = EntryState::Link;
    } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      state.kind = EntryState::Folder;
      snapshotInto(folder + L"\\" + name, relative, snapshot);
    } else {
      std::string bytes;
      readFile(folder + L"\\" + name, bytes);
      state.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
      state.hash = support::fnv1a64(bytes);
    }
    snapshot[relative] = state;
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// --- the checker's own process ---------------------------------------------------------------------

std::wstring ownPath() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

std::wstring temporaryFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring folder(buffer, length);
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

std::wstring makeWorkFolder() {
  const std::wstring temp = temporaryFolder();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring folder = temp + L"\\keyloom-check-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(GetTickCount64() % 100000 + attempt);
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
  }
  return {};
}

// Removes the checker's work folder without following links the library may have left inside.
constexpr DWORD kSessionTimeoutSeconds = 300;

SessionOutput runSessionProcess(const CheckArguments& arguments, SessionKind kind, const std::wstring& sessionFolder) {
  SessionOutput output;
  const std::wstring protocolPath = sessionFolder + L".protocol.txt";
  std::vector<std::wstring> args = {L"--session", sessionName(kind), L"--library",  arguments.library,
                                    L"--work",    sessionFolder,     L"--protocol", protocolPath};
  if (!arguments.samples.empty()) args.insert(args.end(), {L"--samples", arguments.samples});
  if (!arguments.testPath.empty()) args.insert(args.end(), {L"--test-path", arguments.testPath});
  support::ChildProgram session{ownPath(), args};
  session.inherit_handles = true;
  const support::ChildEnd end = support::run_with_deadline(session, std::chrono::seconds(kSessionTimeoutSeconds));
  if (!end.started) {
    output.end.exitCode = end.start_error;
    return output;
  }
  output.end.timeoutSeconds = kSessionTimeoutSeconds;
  output.end.timedOut = end.timed_out;
  output.end.exitCode = end.exit_code;
  readFile(protocolPath, output.protocol);
  return output;
}

void print(const std::string& text) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(out, &mode)) {
    // A console shows UTF-16 whatever its code page; a file or pipe receives the UTF-8 bytes.
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

}  // namespace

bool loadLibrary(const std::wstring& path, CheckedLibrary& library, std::string& error) {
  keepWorkingDirectoryOutOfDllSearch();
  const LoadedLibrary loaded = loadLibraryByFullPath(path);
  if (!loaded.module) {
    error = "the library cannot be loaded (" + systemMessage(loaded.error) + ")";
    if (loaded.error == ERROR_BAD_EXE_FORMAT) {
      error += "; it is built for the other processor: use the keyloom-check of the same build (32 or 64 bits)";
    }
    return false;
  }
  library.exports = loaded.exports;
  library.module = loaded.module;
  library.found = {loaded.exports.getInfo != nullptr, loaded.exports.init != nullptr,
                   loaded.exports.decryptSingleFile != nullptr, loaded.exports.finish != nullptr,
                   exportTableNames(static_cast<HMODULE>(loaded.module))};
  return true;
}

SessionPlatform sessionPlatform(const std::wstring& protocolPath) {
  protocolFile = CreateFileW(protocolPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(&onCrash);
  SessionPlatform platform;
  platform.reader = {&listFolder, &readFile};
  platform.makeFolder = &makeFolder;
  platform.writeFile = &writeFile;
  platform.snapshot = [](const std::wstring& folder) {
    Snapshot snapshot;
    snapshotInto(folder, L"", snapshot);
    return snapshot;
  };
  platform.placeInitParams = &placeInitParams;
  platform.retireInitParams = &retireInitParams;
  platform.emit = &emitLine;
  return platform;
}

bool reachWrites(const CheckedLibrary& library, SessionPlatform& platform) {
  const auto address = [](const wchar_t* module) {
    const HMODULE handle = GetModuleHandleW(module);
    return handle ? reinterpret_cast<ULONG_PTR>(reinterpret_cast<void*>(GetProcAddress(handle, "WriteFile"))) : 0;
  };
  // kernel32's WriteFile, and kernelbase's, which a library may import instead (through an API set).
  const std::array<ULONG_PTR, 2> targets = {address(L"kernel32.dll"), address(L"kernelbase.dll")};
  systemWriteFile = reinterpret_cast<WriteFileFunction>(targets[0]);
  if (!systemWriteFile || redirectImports(static_cast<HMODULE>(library.module), targets) == 0) return false;
  platform.setWriteFault = [](WriteFault fault) {
    const bool met = writeFaultMet.exchange(false);
    writeFault = fault;
    return met;
  };
  return true;
}

CoordinatorPlatform coordinatorPlatform(const CheckArguments& arguments) {
  CoordinatorPlatform platform;
  platform.makeWorkFolder = &makeWorkFolder;
  platform.runSession = [arguments](SessionKind kind, const std::wstring& folder) {
    return runSessionProcess(arguments, kind, folder);
  };
  platform.removeWorkFolder = &support::remove_tree;
  platform.readFile = &readFile;
  platform.print = &print;
  return platform;
}

}  // namespace keyloom_check::platform
