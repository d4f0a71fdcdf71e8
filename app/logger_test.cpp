// The log file as written on Windows: text mode, shared appends, no failure ever reaching the caller.
#include "app/logger.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "engine/test_file_handles.h"

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

class LoggerFile : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("logger-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "OstrivelLog.txt";
    saved_ = Logger::instance().folder;
    Logger::instance().folder = dir_.wstring();
  }
  void TearDown() override {
    Logger::instance().folder = saved_;
    fs::remove_all(dir_);
  }
  fs::path dir_, file_;
  std::wstring saved_;
};

TEST_F(LoggerFile, PathIsTheLogNameInTheTemporaryFolder) {
  const fs::path expected = (fs::temp_directory_path() / "OstrivelLog.txt").parent_path();
  EXPECT_TRUE(fs::equivalent((fs::path(saved_) / "OstrivelLog.txt").parent_path(), expected));
  const fs::path shown(Logger::instance().path);
  EXPECT_TRUE(fs::equivalent(shown.parent_path(), expected));
  EXPECT_EQ(shown.filename(), "OstrivelLog.txt");
}

TEST_F(LoggerFile, LinesEndWithCrLfAndAppend) {
  writeLog("first", Info);
  writeLog("two\nlines", Debug);
  writeLog("", 7);
  const std::string text = read_bytes(file_);
  const std::regex line(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{7}\]\t\[Info\]\t\[first\]\r\n)"
                        R"(\[[^\]]+\]\t\[Debug\]\t\[two\r\nlines\]\r\n)"
                        R"(\[[^\]]+\]\t\[Unknown\]\t\[\]\r\n)");
  EXPECT_TRUE(std::regex_match(text, line)) << text;
}

TEST_F(LoggerFile, UnwritableFileDropsTheLineAndTheNextCallTriesAgain) {
  HANDLE locked = CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  writeLog("while locked", Info);  // must neither throw nor crash
  CloseHandle(locked);
  writeLog("after unlock", Info);
  const std::string text = read_bytes(file_);
  EXPECT_EQ(text.find("while locked"), std::string::npos);
  EXPECT_NE(text.find("[after unlock]"), std::string::npos);
}

TEST_F(LoggerFile, MissingFolderIsNotAnError) {
  Logger::instance().folder = (dir_ / "no-such-folder").wstring();
  writeLog("dropped", Debug);
  EXPECT_FALSE(fs::exists(dir_ / "no-such-folder"));
}

TEST_F(LoggerFile, ConcurrentWritersLeaveWholeLines) {
  constexpr int kThreads = 6, kLines = 150;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t)
    writers.emplace_back([t] {
      const std::string message = "writer " + std::to_string(t) + " " + std::string(300, char('a' + t));
      for (int i = 0; i < kLines; ++i) writeLog(message, Debug);
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

// What the log does when its place holds something planted there: nothing is written, one console line
// says so, and the rest of the program goes on.
class LoggerAgainstAPlantedLink : public testing::Test {
 protected:
  void SetUp() override {
    Logger& logger = Logger::instance();
    saved_ = {logger.folder, logger.files};
    logger.folder = L"T:\\temp";
    logger.files = &files_;
    logger.finalPathFor.clear();
    logger.refusal.clear();
    logger.refusalShown = false;
    shown.clear();
  }
  void TearDown() override {
    Logger& logger = Logger::instance();
    logger.folder = saved_.first;
    logger.files = saved_.second;
    logger.finalPathFor.clear();
    logger.refusal.clear();
    logger.refusalShown = false;
    setLogConsole(nullptr);
  }
  static void print(const char* line) { shown.push_back(line); }
  static inline std::vector<std::string> shown;
  TestFiles files_;
  std::pair<std::wstring, FileHandles*> saved_;
};

TEST_F(LoggerAgainstAPlantedLink, TheLineIsNotWrittenAndTheConsoleIsToldOnce) {
  const std::wstring log = L"T:\\temp\\OstrivelLog.txt";
  files_.files[log].facts = {0x20 | 0x400, 0xA000000C, 1};  // a symbolic link to some file of the machine
  writeLog("first", Debug);
  setLogConsole(&print);  // the console opens later, as after an argument error
  writeLog("second", Info);
  EXPECT_EQ(files_.files.at(log).content, "");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("was not written: it is a link or another reparse point"), std::string::npos) << shown[0];
  EXPECT_EQ(logRefusal(), shown[0]);
}

TEST_F(LoggerAgainstAPlantedLink, APlainLogGetsItsLinesWithCrLf) {
  writeLog("two\nlines", Debug);
  const std::string& text = files_.files.at(L"T:\\temp\\OstrivelLog.txt").content;
  EXPECT_NE(text.find("\t[Debug]\t[two\r\nlines]\r\n"), std::string::npos) << text;
  EXPECT_EQ(files_.created, std::vector<std::wstring>{L"T:\\temp\\OstrivelLog.txt"});
  EXPECT_TRUE(logRefusal().empty());
}

}  // namespace
