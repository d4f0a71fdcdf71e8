// Argument errors and the help request end the process with 2 and say why in the log only.
#include <gtest/gtest.h>

#include "tests/process/run_helpers.h"

namespace {

using harness::Sandbox;
using harness::ToolRun;
using namespace run_helpers;

struct ArgumentCase {
  const char* name;
  std::vector<std::wstring> args;
  std::string config;
  std::vector<std::string> lines;  // after the command-line line
};

class ArgumentError : public testing::TestWithParam<ArgumentCase> {};

TEST_P(ArgumentError, EndsWithTwoAndTheReasonsInTheLog) {
  Sandbox box;
  const auto result =
      box.run(ToolRun{.library = L"keyloom-test.dll", .args = GetParam().args, .library_config = GetParam().config});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 2u);
  auto messages = result.log_messages(true);
  ASSERT_FALSE(messages.empty());
  std::string first = "Debug: The tool has been executed with the following command line arguments:  ";
  first += (box.app_dir() / "recovery-tool.exe").string();
  for (const auto& arg : GetParam().args) first += " " + fs::path(arg).string();
  EXPECT_EQ(messages.front(), first);
  messages.erase(messages.begin());
  std::vector<std::string> wanted;
  for (const auto& line : GetParam().lines) wanted.push_back("Debug: " + line);
  EXPECT_EQ(messages, wanted);
  EXPECT_TRUE(library_calls_named(result, "Init").empty()) << "no run starts";
  EXPECT_LT(result.index_of("SciterCall", "showDecryptionStep"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArgumentError,
    testing::Values(ArgumentCase{"help_with_test_folder",
                                 {L"-help"},
                                 "",
                                 {"Silent execution parameters:", "-disable-backup - Disables the file Backup option",
                                  "-full-scan - Enables the Scan entire system option (ignoring -scan-path argument)",
                                  "-replace-existing - Enables the \"Replace previously decrypted files\" option",
                                  "-scan-path - Specifies the path containing encrypted files",
                                  "-test-path - Specifies a folder containing pairs of clean-encrypted files",
                                  "start - Allows the tool to run silently (no GUI)"}},
                    ArgumentCase{"help_later_without_test_folder",
                                 {L"x", L"-help"},
                                 "flags=scan\n",
                                 {"Silent execution parameters:", "-disable-backup - Disables the file Backup option",
                                  "-full-scan - Enables the Scan entire system option (ignoring -scan-path argument)",
                                  "-replace-existing - Enables the \"Replace previously decrypted files\" option",
                                  "-scan-path - Specifies the path containing encrypted files",
                                  "start - Allows the tool to run silently (no GUI)"}},
                    ArgumentCase{
                        "no_start", {L"-full-scan"}, "", {"Missing \"start\" argument for allowing silent execution."}},
                    ArgumentCase{"start_in_capitals",
                                 {L"START", L"-full-scan"},
                                 "",
                                 {"Missing \"start\" argument for allowing silent execution."}},
                    ArgumentCase{"no_scan_path", {L"start"}, "", {"Missing scan path argument."}},
                    ArgumentCase{"no_test_path", {L"start", L"-full-scan"}, "", {"Missing test path argument."}},
                    ArgumentCase{"scan_path_missing",
                                 {L"start", L"-scan-path", L"C:\\no\\such\\folder", L"-full-scan", L"-bogus"},
                                 "flags=scan\n",
                                 {"The provided scan path does not exist!"}},
                    ArgumentCase{"test_path_missing",
                                 {L"start", L"-full-scan", L"-test-path", L"no-such-folder"},
                                 "",
                                 {"The provided test path does not exist!"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
