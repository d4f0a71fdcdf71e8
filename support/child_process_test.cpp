// run_with_deadline against a real program (testdata/child.cpp): what the program receives, what comes
// back, and a program that does not end by itself.
#include "support/child_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "text/encodings.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

fs::path here() {
  wchar_t path[MAX_PATH];
  return fs::path(std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH))).parent_path();
}

// A folder of this test's own in the temporary folder, and the child's output captured in a file there.
class ChildProcess : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("child-process-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  support::ChildProgram child(std::vector<std::wstring> arguments) {
    support::ChildProgram program;
    program.path = (here() / "support_test_child.exe").wstring();
    program.arguments = std::move(arguments);
    return program;
  }

  // Runs the program with its standard output in a file; returns the lines it wrote.
  std::vector<std::string> run(support::ChildProgram program, support::ChildEnd& end,
                               const support::WhileRunning& while_running = {}) {
    const fs::path capture = folder_ / "output.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE out = CreateFileW(capture.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    program.standard_handles = support::StandardHandles{nullptr, out, out};
    end = support::run_with_deadline(program, 60s, while_running);
    CloseHandle(out);
    std::ifstream in(capture, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  fs::path folder_;
};

TEST_F(ChildProcess, TheProgramsCRuntimeReadsEveryArgumentAsGiven) {
  const std::vector<std::wstring> arguments = {
      L"plain",      L"",   L"two words", L"C:\\with space\\", L"C:\\folder\\",
      L"say \"hi\"", L"\"", L"a\\\"b",    L"x y\\\\",          L"\u0444\u0430\u0439\u043b \u00e9t\u00e9",
      L"last"};
  std::vector<std::wstring> program_arguments = {L"echo"};
  program_arguments.insert(program_arguments.end(), arguments.begin(), arguments.end());
  support::ChildEnd end;
  const std::vector<std::string> lines = run(child(program_arguments), end);
  ASSERT_TRUE(end.started) << end.start_error;
  EXPECT_FALSE(end.timed_out);
  EXPECT_EQ(end.exit_code, arguments.size()) << "the count of arguments it saw";
  std::vector<std::string> expected;
  for (const std::wstring& argument : arguments) expected.push_back(text::utf8_from_wide(argument));
  EXPECT_EQ(lines, expected);
}

TEST_F(ChildProcess, RunsInTheGivenFolderWithTheEnvironmentChangedOnlyWhereAsked) {
  SetEnvironmentVariableW(L"SUPPORT_CHILD_SET", L"this process's value");
  SetEnvironmentVariableW(L"SUPPORT_CHILD_KEPT", L"inherited");
  const fs::path work = folder_ / "work folder";
  fs::create_directories(work);
  support::ChildProgram program = child({L"where"});
  program.working_directory = work.wstring();
  program.environment = {{L"support_child_set", L"the override"}};  // the name in another case replaces it
  support::ChildEnd end;
  const std::vector<std::string> lines = run(program, end);
  SetEnvironmentVariableW(L"SUPPORT_CHILD_SET", nullptr);
  SetEnvironmentVariableW(L"SUPPORT_CHILD_KEPT", nullptr);
  ASSERT_TRUE(end.started) << end.start_error;
  EXPECT_EQ(lines, (std::vector<std::string>{text::utf8_from_wide(work.wstring()), "the override", "inherited"}));
}

TEST_F(ChildProcess, GivesTheExitCode) {
  for (const int code : {0, 3, 1000}) {
    support::ChildEnd end;
    run(child({L"exit", std::to_wstring(code)}), end);
    EXPECT_TRUE(end.started);
    EXPECT_FALSE(end.timed_out);
    EXPECT_EQ(end.exit_code, static_cast<uint32_t>(code));
  }
}

TEST_F(ChildProcess, AProgramStillRunningAtTheDeadlineIsEndedAndSaysSo) {
  const support::ChildEnd end = support::run_with_deadline(child({L"sleep"}), 300ms);
  EXPECT_TRUE(end.started);
  EXPECT_TRUE(end.timed_out);
  EXPECT_EQ(end.exit_code, support::kEndedAtDeadline);
}

TEST_F(ChildProcess, WhileRunningIsAskedWithTheProgramsOwnProcessId) {
  std::vector<uint32_t> asked;
  support::ChildEnd end;
  const std::vector<std::string> lines = run(child({L"pid"}), end, [&asked](uint32_t process_id) {
    asked.push_back(process_id);
    return 5ms;
  });
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_FALSE(asked.empty()) << "asked at least once, as soon as the program started";
  for (const uint32_t id : asked) EXPECT_EQ(std::to_string(id), lines[0]);
}

TEST_F(ChildProcess, AProgramThatCannotBeStartedGivesTheSystemsReason) {
  support::ChildProgram missing = child({});
  missing.path = (folder_ / "no-such-program.exe").wstring();
  const support::ChildEnd end = support::run_with_deadline(missing, 60s);
  EXPECT_FALSE(end.started);
  EXPECT_EQ(end.start_error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
