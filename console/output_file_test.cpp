// The output files' refusals, and the files themselves as this machine's system opens and writes them.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/output_file.h"

namespace {

namespace fs = std::filesystem;

TEST(OutputFile, RefusesWhatAFileJustMadeMustNotBe) {
  const struct {
    const char* name;
    OpenedFileFacts facts;
    bool refused;
  } cases[] = {
      {"a plain file", {true, FILE_ATTRIBUTE_ARCHIVE, 1}, false},
      {"a symbolic link or a junction", {true, FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_ARCHIVE, 1}, true},
      {"a folder", {true, FILE_ATTRIBUTE_DIRECTORY, 1}, true},
      {"a file with a second name", {true, FILE_ATTRIBUTE_ARCHIVE, 2}, true},
      {"a pipe or a device the command line names", {false, 0, 0}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(!outputFileRefusal(c.facts).empty(), c.refused) << c.name;
}

class OutputFileOnDisk : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("output-file-test-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  static std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  fs::path dir_;
};

TEST_F(OutputFileOnDisk, ReplacesAnEarlierFileAndWritesWholeLines) {
  const fs::path path = dir_ / "PC-1.jsonl";
  write(path, std::string(5000, 'o'));
  OutputOpening opening = openOutputFile(path.wstring());
  ASSERT_TRUE(opening.sink) << opening.problem;
  EXPECT_TRUE(opening.sink->writeLine("{\"type\":\"start\"}"));
  EXPECT_EQ(read(path), "{\"type\":\"start\"}\n") << "written through at once, while the file is still open";
  EXPECT_TRUE(opening.sink->writeLine("second"));
  EXPECT_EQ(opening.sink->error(), 0u);
  opening.sink.reset();
  EXPECT_EQ(read(path), "{\"type\":\"start\"}\nsecond\n");
}

TEST_F(OutputFileOnDisk, ASecondNamePlantedAtThePathIsReplacedAndTheOtherFileLeftAsItWas) {
  const fs::path elsewhere = dir_ / "precious.txt";
  write(elsewhere, "precious");
  const fs::path planted = dir_ / "report.jsonl";
  ASSERT_TRUE(CreateHardLinkW(planted.c_str(), elsewhere.c_str(), nullptr)) << GetLastError();
  OutputOpening opening = openOutputFile(planted.wstring());
  ASSERT_TRUE(opening.sink) << opening.problem;
  EXPECT_TRUE(opening.sink->writeLine("report"));
  opening.sink.reset();
  EXPECT_EQ(read(elsewhere), "precious");
  EXPECT_EQ(read(planted), "report\n");
}

TEST_F(OutputFileOnDisk, ALinkPlantedAtThePathIsReplacedNotFollowed) {
  const fs::path elsewhere = dir_ / "precious.txt";
  write(elsewhere, "precious");
  const fs::path planted = dir_ / "report.jsonl";
  // Wine 8 answers that it made the link and makes nothing: planted_links.sh plants real ones there.
  if (!CreateSymbolicLinkW(planted.c_str(), elsewhere.c_str(), 0) ||
      GetFileAttributesW(planted.c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "symbolic links to files cannot be made here";
  }
  OutputOpening opening = openOutputFile(planted.wstring());
  ASSERT_TRUE(opening.sink) << opening.problem;
  EXPECT_TRUE(opening.sink->writeLine("report"));
  opening.sink.reset();
  EXPECT_EQ(read(elsewhere), "precious");
  EXPECT_EQ(read(planted), "report\n");
  EXPECT_FALSE(GetFileAttributesW(planted.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) << "a file of its own now";
}

TEST_F(OutputFileOnDisk, AFolderOrAMissingFolderIsAProblemNotACrash) {
  EXPECT_FALSE(openOutputFile(dir_.wstring()).sink);
  const OutputOpening missing = openOutputFile((dir_ / "no-such-folder" / "r.jsonl").wstring());
  EXPECT_FALSE(missing.sink);
  EXPECT_FALSE(missing.problem.empty());
}

}  // namespace
