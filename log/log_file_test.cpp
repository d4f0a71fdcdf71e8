// The log file as written on Windows: CR LF line ends, shared appends, nothing planted at its place
// written to, no failure ever reaching the caller.
#include "log/log_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class LogFile : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("logger-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "log.txt";
    path_ = file_.string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  void writeLog(std::string_view message, int level) { writeLogLine(path_, message, level); }
  fs::path dir_, file_;
  std::string path_;
};

TEST_F(LogFile, PathIsTheLogNameInTheTemporaryFolder) {
  const fs::path path = logFilePath();
  const fs::path expected = fs::temp_directory_path() / "OstrivelLog.txt";
  EXPECT_TRUE(fs::equivalent(path.parent_path(), expected.parent_path()));
  EXPECT_EQ(path.filename(), "OstrivelLog.txt");
}

TEST_F(LogFile, LinesEndWithCrLfAndAppend) {
  writeLog("first", 0);
  writeLog("two\nlines", 1);
  writeLog("", 7);
  const std::string text = read_bytes(file_);
  const std::regex line(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{7}\]\t\[Info\]\t\[first\]\r\n)"
                        R"(\[[^\]]+\]\t\[Debug\]\t\[two\r\nlines\]\r\n)"
                        R"(\[[^\]]+\]\t\[Unknown\]\t\[\]\r\n)");
  EXPECT_TRUE(std::regex_match(text, line)) << text;
}

TEST_F(LogFile, ASecondNamePlantedAtItsPlaceIsNotWrittenTo) {
  // Another user's program can make the log's name a second name of any file it can reach (a hard link);
  // an append through it would change that file with the tool's rights.
  const fs::path other = dir_ / "someone-elses.txt";
  std::ofstream(other, std::ios::binary) << "untouched";
  ASSERT_TRUE(CreateHardLinkW(file_.wstring().c_str(), other.wstring().c_str(), nullptr)) << GetLastError();
  writeLog("first", 0);
  EXPECT_EQ(read_bytes(other), "untouched");
  fs::remove(file_);
  writeLog("second", 0);
  EXPECT_NE(read_bytes(file_).find("[second]"), std::string::npos) << "a plain file made in its place is written";
  EXPECT_EQ(read_bytes(other), "untouched");
}

TEST_F(LogFile, UnwritableFileDropsTheLineAndTheNextCallTriesAgain) {
  HANDLE locked = CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  writeLog("while locked", 0);  // must neither throw nor crash
  CloseHandle(locked);
  writeLog("after unlock", 0);
  const std::string text = read_bytes(file_);
  EXPECT_EQ(text.find("while locked"), std::string::npos);
  EXPECT_NE(text.find("[after unlock]"), std::string::npos);
}

TEST_F(LogFile, MissingFolderIsNotAnError) {
  path_ = (dir_ / "no-such-folder" / "log.txt").string();
  writeLog("dropped", 1);
  EXPECT_FALSE(fs::exists(dir_ / "no-such-folder"));
}

TEST_F(LogFile, ConcurrentWritersLeaveWholeLines) {
  constexpr int kThreads = 6, kLines = 150;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t)
    writers.emplace_back([this, t] {
      const std::string message = "writer " + std::to_string(t) + " " + std::string(300, char('a' + t));
      for (int i = 0; i < kLines; ++i) writeLog(message, 1);
    });
  for (auto& w : writers) w.join();
  std::istringstream lines(read_bytes(file_));
  const std::regex head(R"(\[[^\]]+\]\t\[Debug\]\t\[writer (\d) .*)");
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    ASSERT_EQ(line.back(), '\r');
    line.pop_back();
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, head)) << line;
    const int t = std::stoi(m[1]);
    EXPECT_EQ(line.substr(line.find("writer")),
              "writer " + std::to_string(t) + " " + std::string(300, char('a' + t)) + "]");
  }
  EXPECT_EQ(count, kThreads * kLines);
}

}  // namespace
