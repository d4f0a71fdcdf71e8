// Runs recovery-tool.exe as a user would, in a fresh folder of its own: the program with a chosen UI
// engine and decryption library beside it (the library is found in the working directory), its own
// temporary folder for the log, and the stand-in engine's journal and scenario.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "standins/ui-engine/journal_lines.h"

namespace harness {

namespace fs = std::filesystem;
using json = standin::json;
using JournalEntry = standin::JournalEntry;

// Folder of the built programs and DLLs (where this test program runs from).
fs::path bin_dir();

// Where a file is installed when the program does not start from its own folder (ToolRun::program_apart).
enum class Place { BesideProgram, WorkingDirectory };

struct ToolRun {
  std::wstring engine = L"sciter.dll";  // file in the bin folder installed as sciter.dll; empty: none
  std::wstring library;                 // file in the bin folder installed as Keyloom.dll; empty: none
  // By default the program, the engine and the library share app\, the working directory. Apart, the
  // program is in program\ and is started with app\ as its working directory.
  bool program_apart = false;
  Place engine_place = Place::BesideProgram;
  Place library_place = Place::WorkingDirectory;
  std::vector<std::wstring> args;  // after the program path
  std::string scenario;            // the stand-in engine's page double
  std::string library_config;      // keyloom-test.dll's answers (Keyloom.dll.cfg beside it)
  std::vector<std::pair<std::wstring, std::wstring>> env;
  DWORD timeout_ms = 60000;
};

struct ToolResult {
  DWORD exit_code = 0;
  bool timed_out = false;
  std::string log;  // the whole log file, CR LF as written
  std::vector<JournalEntry> journal;
  std::string library_record;     // keyloom-test.dll's record of the calls it received
  std::string console;            // the last screen of the program's console, when it opened one
  bool console_answered = false;  // a key was typed into that console (the "pause" prompt)

  // The record's lines, e.g. "GetInfo", "Init\tscan=...", "DecryptSingleFile\t<path>\t1", "Finish".
  std::vector<std::string> library_calls() const;

  // The log's messages in order (time stamps and levels dropped); "Level: message" when with_level.
  std::vector<std::string> log_messages(bool with_level = false) const;
  // Journal entries of one call, e.g. every "SciterCall".
  std::vector<JournalEntry> calls(const std::string& call) const;
  // Names of the page functions called, in order.
  std::vector<std::string> page_calls() const;
  // Index of the first journal entry with this call (and page function name); -1 when absent.
  int index_of(const std::string& call, const std::string& page_function = {}) const;
};

// A folder of its own for one test: <temp>\<test name>\ with app\, temp\ and files\. A test that needs a
// second one at the same time (a second machine, a second run) names it apart.
class Sandbox {
 public:
  explicit Sandbox(const std::string& apart = {});
  ~Sandbox();
  const fs::path& root() const { return root_; }
  fs::path app_dir() const { return root_ / "app"; }          // the working directory
  fs::path program_dir() const { return root_ / "program"; }  // the program's folder when apart
  fs::path temp_dir() const { return root_ / "temp"; }
  fs::path files_dir() const { return root_ / "files"; }
  fs::path log_path() const { return temp_dir() / "OstrivelLog.txt"; }

  // Installs the program and runs it with the working directory app\; waits for it to end. The test fails
  // when the engine's journal holds a refused value (ValueRefused).
  ToolResult run(const ToolRun& run);

 private:
  fs::path root_;
};

// Runs another built program (from the bin folder) to its end; returns its exit code (support::kEndedAtDeadline
// when it was still running after a minute, -1 when it could not be started).
DWORD run_program(const std::wstring& program, const std::vector<std::wstring>& args, const fs::path& cwd);

struct ProgramOutput {
  DWORD exit_code = 0;
  bool timed_out = false;
  std::string output;  // standard output and standard error together, as the program wrote them
};

// Like run_program, and keeps what the program printed (for console programs that report on stdout).
ProgramOutput run_program_output(const std::wstring& program, const std::vector<std::wstring>& args,
                                 const fs::path& cwd, DWORD timeout_ms = 300000);

std::string read_file(const fs::path& path);
void write_file(const fs::path& path, const std::string& bytes);

// Paths past the classic limit: the C runtime beneath std::filesystem fails on them (remove_all does even
// in the long-path form), so deep trees are made, moved, read and removed through the system's own calls.
std::wstring long_form(const fs::path& full_path);  // "\\?\" + the path
bool make_folders(const fs::path& full_path);       // every missing folder on the way
bool move_file(const fs::path& from, const fs::path& to);
std::string read_deep_file(const fs::path& full_path);  // empty when it cannot be read
bool deep_file_exists(const fs::path& full_path);
void remove_tree(const fs::path& full_path);  // what can be removed; errors are ignored

}  // namespace harness
