#include "tests/process/harness.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/child_process.h"
#include "support/file_tree.h"

namespace harness {

fs::path bin_dir() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(path).parent_path();
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::wstring long_form(const fs::path& full_path) { return L"\\\\?\\" + full_path.native(); }

bool make_folders(const fs::path& full_path) {
  if (GetFileAttributesW(long_form(full_path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  if (full_path.has_parent_path() && full_path.parent_path() != full_path && !make_folders(full_path.parent_path()))
    return false;
  return CreateDirectoryW(long_form(full_path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool move_file(const fs::path& from, const fs::path& to) {
  return MoveFileExW(long_form(from).c_str(), long_form(to).c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::string read_deep_file(const fs::path& full_path) {
  const HANDLE file = CreateFileW(long_form(full_path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

bool deep_file_exists(const fs::path& full_path) {
  return GetFileAttributesW(long_form(full_path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void remove_tree(const fs::path& full_path) { support::remove_tree(full_path.native()); }

std::vector<std::string> ToolResult::log_messages(bool with_level) const {
  std::vector<std::string> messages;
  std::istringstream lines(log);
  std::string line, pending;
  // A message may hold line breaks; a new entry starts with "[" + time stamp + "]\t[".
  const auto flush = [&] {
    if (pending.empty()) return;
    const size_t level_start = pending.find("]\t[") + 3;
    const size_t level_end = pending.find("]\t[", level_start);
    std::string message = pending.substr(level_end + 3);
    if (!message.empty() && message.back() == ']') message.pop_back();
    messages.push_back(with_level ? pending.substr(level_start, level_end - level_start) + ": " + message : message);
    pending.clear();
  };
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const bool starts_entry = line.size() > 30 && line[0] == '[' && line[5] == '-' && line.find("]\t[") == 28;
    if (starts_entry) {
      flush();
      pending = line;
    } else {
      pending += "\n" + line;
    }
  }
  flush();
  return messages;
}

std::vector<std::string> ToolResult::library_calls() const {
  std::vector<std::string> lines;
  std::istringstream in(library_record);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<JournalEntry> ToolResult::calls(const std::string& call) const {
  return standin::entries_of(journal, call);
}

std::vector<std::string> ToolResult::page_calls() const {
  std::vector<std::string> names;
  for (const JournalEntry& e : journal)
    if (e.call == "SciterCall") names.push_back(e.args.value("name", ""));
  return names;
}

int ToolResult::index_of(const std::string& call, const std::string& page_function) const {
  for (size_t i = 0; i < journal.size(); ++i)
    if (journal[i].call == call && (page_function.empty() || journal[i].args.value("name", "") == page_function))
      return static_cast<int>(i);
  return -1;
}

Sandbox::Sandbox(const std::string& apart) {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "." + info->name() + (apart.empty() ? "" : "." + apart);
  for (char& c : name)
    if (c == '/' || c == '\\' || c == ':') c = '_';
  root_ = fs::temp_directory_path() / "process-tests" / name;
  remove_tree(root_);
  fs::create_directories(app_dir());
  fs::create_directories(temp_dir());
  fs::create_directories(files_dir());
}

Sandbox::~Sandbox() {
  if (!testing::Test::HasFailure()) remove_tree(root_);
}

namespace {

// The text on the console screen of another process, trailing blanks of each row dropped.
std::string read_console_screen() {
  HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return {};
  CONSOLE_SCREEN_BUFFER_INFO info{};
  std::string text;
  if (GetConsoleScreenBufferInfo(out, &info)) {
    const SHORT width = info.dwSize.X;
    std::wstring row(static_cast<size_t>(width), L' ');
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
      DWORD read = 0;
      ReadConsoleOutputCharacterW(out, row.data(), width, COORD{0, y}, &read);
      std::wstring line = row.substr(0, read);
      line.erase(line.find_last_not_of(L" \0") + 1);
      for (wchar_t c : line) text += c < 128 ? static_cast<char>(c) : '?';
      text += '\n';
    }
  }
  CloseHandle(out);
  while (!text.empty() && text.back() == '\n' && text.size() >= 2 && text[text.size() - 2] == '\n') text.pop_back();
  return text;
}

// Types Enter into the console this process is attached to.
void type_enter() {
  HANDLE in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return;
  INPUT_RECORD keys[2]{};
  for (int i = 0; i < 2; ++i) {
    keys[i].EventType = KEY_EVENT;
    keys[i].Event.KeyEvent.bKeyDown = i == 0;
    keys[i].Event.KeyEvent.wRepeatCount = 1;
    keys[i].Event.KeyEvent.wVirtualKeyCode = VK_RETURN;
    keys[i].Event.KeyEvent.uChar.UnicodeChar = L'\r';
  }
  DWORD written = 0;
  WriteConsoleInputW(in, keys, 2, &written);
  CloseHandle(in);
}

// While the program runs: when it opens a console and prompts there (the "pause" after an argument error),
// the text is read and the prompt answered, so no test ever waits for a person.
support::WhileRunning answering_console(ToolResult& result) {
  return [&result](uint32_t process_id) {
    // Under Wine without a terminal, "pause" may find no console input and return at once, so the
    // prompt is on screen only while cmd.exe starts: look often until it has been seen.
    if (result.console_answered) return std::chrono::milliseconds(100);
    FreeConsole();
    if (AttachConsole(process_id)) {
      const std::string screen = read_console_screen();
      if (!screen.empty()) result.console = screen;
      if (screen.find("Press") != std::string::npos) {
        type_enter();
        result.console_answered = true;
      }
      FreeConsole();
    }
    return std::chrono::milliseconds(5);
  };
}

}  // namespace

DWORD run_program(const std::wstring& program, const std::vector<std::wstring>& args, const fs::path& cwd) {
  const support::ChildEnd end =
      support::run_with_deadline({(bin_dir() / program).wstring(), args, cwd.wstring()}, std::chrono::minutes(1));
  return end.started ? end.exit_code : static_cast<DWORD>(-1);
}

ProgramOutput run_program_output(const std::wstring& program, const std::vector<std::wstring>& args,
                                 const fs::path& cwd, DWORD timeout_ms) {
  ProgramOutput result;
  const fs::path capture = cwd / (program + L".output.txt");
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW(capture.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  support::ChildProgram child{(bin_dir() / program).wstring(), args, cwd.wstring()};
  child.standard_handles = support::StandardHandles{nullptr, out, out};
  const support::ChildEnd end = support::run_with_deadline(child, std::chrono::milliseconds(timeout_ms));
  CloseHandle(out);
  result.exit_code = end.started ? end.exit_code : static_cast<DWORD>(-1);
  result.timed_out = end.timed_out;
  if (end.started) result.output = read_file(capture);
  return result;
}

ToolResult Sandbox::run(const ToolRun& run) {
  const fs::path program_folder = run.program_apart ? program_dir() : app_dir();
  const auto folder_of = [&](Place place) { return place == Place::BesideProgram ? program_folder : app_dir(); };
  fs::create_directories(program_folder);
  const fs::path program = program_folder / "recovery-tool.exe";
  // Each build's own deliverable (x86-64 or i386), under the one name the tests know it by.
  fs::copy_file(bin_dir() / DELIVERABLE_FILE_NAME, program, fs::copy_options::overwrite_existing);
  if (!run.engine.empty())
    fs::copy_file(bin_dir() / run.engine, folder_of(run.engine_place) / "sciter.dll",
                  fs::copy_options::overwrite_existing);
  if (!run.library.empty())
    fs::copy_file(bin_dir() / run.library, folder_of(run.library_place) / "Keyloom.dll",
                  fs::copy_options::overwrite_existing);
  // The test library reads its answers from beside itself and records its calls there.
  const fs::path library_folder = folder_of(run.library_place);
  if (!run.library_config.empty()) write_file(library_folder / "Keyloom.dll.cfg", run.library_config);
  fs::remove(library_folder / "Keyloom.dll.record");
  const fs::path journal_path = root_ / "journal.txt";
  const fs::path scenario_path = root_ / "scenario.txt";
  fs::remove(journal_path);
  write_file(scenario_path, run.scenario);

  support::ChildProgram child{program.wstring(), run.args, app_dir().wstring()};
  child.environment = {
      {L"TEMP", temp_dir().wstring()},
      {L"TMP", temp_dir().wstring()},
      {L"STANDIN_ENGINE_JOURNAL", journal_path.wstring()},
      {L"STANDIN_ENGINE_SCENARIO", scenario_path.wstring()},
  };
  child.environment.insert(child.environment.end(), run.env.begin(), run.env.end());

  // Standard input is an empty pipe, so "pause" on the argument-error path returns at once.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  CreatePipe(&read_end, &write_end, &inherit, 0);
  SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);
  CloseHandle(write_end);
  child.standard_handles =
      support::StandardHandles{read_end, GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE)};

  ToolResult result;
  const support::ChildEnd end =
      support::run_with_deadline(child, std::chrono::milliseconds(run.timeout_ms), answering_console(result));
  CloseHandle(read_end);
  if (!end.started) {
    ADD_FAILURE() << "could not start the program: " << end.start_error;
    return result;
  }
  result.exit_code = end.exit_code;
  result.timed_out = end.timed_out;
  result.log = read_file(log_path());
  result.journal = standin::read_journal(journal_path);
  result.library_record = read_file(library_folder / "Keyloom.dll.record");
  // Whatever the test is about, the program never hands the engine a value the engine did not make, nor
  // reads a script object that it did not isolate first: the engine would not forgive either.
  for (const JournalEntry& e : result.journal)
    if (e.call == "ValueRefused") ADD_FAILURE() << "the stand-in engine refused a value: " << e.args.dump();
  return result;
}

}  // namespace harness
