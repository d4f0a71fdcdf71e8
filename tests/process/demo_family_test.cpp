// The whole job with the DemoVault library: files made by demo_encrypt are restored by a silent run.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/process/run_helpers.h"

namespace {

using harness::Sandbox;
using harness::ToolRun;
using namespace run_helpers;

struct DemoCase {
  const char* name;
  std::vector<std::wstring> extraArgs;
  bool encryptedKept;
};

class DemoFamily : public testing::TestWithParam<DemoCase> {};

TEST_P(DemoFamily, EncryptedFilesAreRestored) {
  Sandbox box;
  const fs::path victim = box.files_dir() / "victim";
  const fs::path pairs = box.files_dir() / "pairs";
  const std::vector<std::string> names = {"letter.txt", "photos/holiday.jpg", "photos/deep/notes.md", "tiny"};
  make_files(victim, names);
  harness::write_file(victim / "tiny", "x");
  ASSERT_EQ(
      harness::run_program(L"demo_encrypt.exe",
                           {victim.wstring(), pairs.wstring(), L"00112233445566778899aabbccddeeff"}, box.files_dir()),
      0u);
  for (const auto& name : names) {
    ASSERT_FALSE(fs::exists(victim / name)) << name;
    ASSERT_TRUE(fs::exists(victim / (name + ".kyl"))) << name;
  }
  std::vector<std::wstring> args = {L"start", L"-scan-path", victim.wstring(), L"-test-path", pairs.wstring()};
  args.insert(args.end(), GetParam().extraArgs.begin(), GetParam().extraArgs.end());

  const auto result = box.run(ToolRun{.library = L"keyloom-demo.dll", .args = args, .scenario = kCloseAtFinalStep});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u);
  for (const auto& name : names) {
    const std::string expected = name == "tiny" ? "x" : "content of " + name;
    EXPECT_EQ(harness::read_file(victim / name), expected) << name;
    EXPECT_EQ(fs::exists(victim / (name + ".kyl")), GetParam().encryptedKept) << name;
  }
  const auto messages = result.log_messages();
  EXPECT_EQ(page_args(result, "setFinalMessage"), std::vector<json>{json::array({"The threat is gone!"})});
  EXPECT_EQ(messages.back(), "DemoVault: finished.") << "Finish comes after the outcome";
  EXPECT_TRUE(contains(messages, "DemoVault: key recovered from the pair \"" + (pairs / "sample.txt").string() + "\"."))
      << result.log;
  EXPECT_EQ(page_args(result, "setRansomwareName"), std::vector<json>{json::array({"DemoVault"})});
}

INSTANTIATE_TEST_SUITE_P(Table, DemoFamily,
                         testing::Values(DemoCase{"backup_kept", {}, true},
                                         DemoCase{"backup_disabled", {L"-disable-backup"}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DemoFamilyRun, WithoutAPairInitFailsWithTheLibraryText) {
  Sandbox box;
  fs::create_directories(box.files_dir() / "pairs");
  const auto result = box.run(ToolRun{.library = L"keyloom-demo.dll",
                                      .args = {L"start", L"-scan-path", box.files_dir().wstring(), L"-test-path",
                                               (box.files_dir() / "pairs").wstring()},
                                      .scenario = kCloseAtFinalStep});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(page_args(result, "setFinalMessage"),
            std::vector<json>{json::array(
                {"No clean file with its encrypted copy (name and name.kyl) was found in the test folder."})});
  EXPECT_EQ(page_args(result, "showFinalStep"), std::vector<json>{json::array({false})});
}

}  // namespace
