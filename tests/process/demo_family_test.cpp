// The whole job with the DemoVault library: files made by demo_encrypt are restored by a silent run.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

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

// A file without write bits is read-only under Wine, and the plain delete disposition is refused for it there
// as on Windows; a file this process holds open without delete sharing refuses the tool's removal.
TEST(DemoFamilyRun, AReadOnlyEncryptedFileIsRemovedAndOneHeldOpenIsSaid) {
  Sandbox box;
  const fs::path victim = box.files_dir() / "victim";
  const fs::path pairs = box.files_dir() / "pairs";
  make_files(victim, {"letter.txt", "held.txt"});
  ASSERT_EQ(
      harness::run_program(L"demo_encrypt.exe",
                           {victim.wstring(), pairs.wstring(), L"00112233445566778899aabbccddeeff"}, box.files_dir()),
      0u);
  const fs::path readOnly = victim / "letter.txt.kyl", held = victim / "held.txt.kyl";
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  const HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);

  const auto result = box.run(
      ToolRun{.library = L"keyloom-demo.dll",
              .args = {L"start", L"-scan-path", victim.wstring(), L"-test-path", pairs.wstring(), L"-disable-backup"},
              .scenario = kCloseAtFinalStep});
  CloseHandle(holder);
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(harness::read_file(victim / "letter.txt"), "content of letter.txt");
  EXPECT_FALSE(fs::exists(readOnly)) << "decrypted, so removed although read-only\n" << result.log;
  EXPECT_EQ(harness::read_file(victim / "held.txt"), "content of held.txt");
  EXPECT_TRUE(fs::exists(held));
  const auto messages = result.log_messages();
  const std::string refused = "The encrypted file \"" + held.string() + "\" was decrypted but could not be removed: ";
  EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [&](const std::string& m) {
    return m.starts_with(refused);
  })) << result.log;
  EXPECT_TRUE(
      contains(messages,
               "1 restored file left its encrypted copy in place, as it could not be removed; the log names "
               "each. Remove them before a later run, which would decrypt them again over the restored files."));
  EXPECT_EQ(page_args(result, "setFinalMessage"), std::vector<json>{json::array({"The threat is gone!"})});
}

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
