// A folder scan of a tree whose paths pass the classic limit of 260 characters. Wine opens such paths
// without the long-path form, so what shows the program sound is what reaches the library: the deep files
// in the long-path form, the shallow ones exactly as the user's path joined with the relative names.
#include <gtest/gtest.h>

#include "tests/process/run_helpers.h"

namespace {

using harness::Sandbox;
using harness::ToolRun;
using namespace run_helpers;

TEST(DeepPaths, AFolderScanRestoresEveryFileAndHandsDeepOnesInTheLongPathForm) {
  Sandbox box;
  const fs::path victim = box.files_dir() / "victim";
  const fs::path pairs = box.files_dir() / "pairs";
  // "middle" stays below the limit with its files; "deep" passes it, for its listing and for its files.
  fs::path middle = victim;
  while (middle.native().size() < 180) middle /= "a-folder-name-forty-characters-long-----";
  fs::path deep = middle;
  while (deep.native().size() < 300) deep /= "a-folder-name-forty-characters-long-----";
  const std::vector<std::pair<fs::path, std::string>> files = {{victim / "shallow.txt", "first"},
                                                               {middle / "middle.txt", "second"},
                                                               {deep / "deep.txt", "third"},
                                                               {deep / "deeper.doc", "fourth"}};

  // The demonstration family's tool encrypts a flat folder; its files then move to their places.
  for (const auto& [path, content] : files) harness::write_file(victim / path.filename(), content);
  ASSERT_EQ(
      harness::run_program(L"demo_encrypt.exe",
                           {victim.wstring(), pairs.wstring(), L"00112233445566778899aabbccddeeff"}, box.files_dir()),
      0u);
  for (const auto& [path, content] : files) {
    ASSERT_TRUE(harness::make_folders(path.parent_path())) << path;
    const fs::path encrypted = path.native() + L".kyl";
    ASSERT_TRUE(harness::move_file(victim / encrypted.filename(), encrypted)) << encrypted;
  }

  const auto result = box.run(
      ToolRun{.library = L"keyloom-demo.dll",
              .args = {L"start", L"-scan-path", victim.wstring(), L"-test-path", pairs.wstring(), L"-disable-backup"},
              .scenario = kCloseAtFinalStep});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u);
  EXPECT_EQ(page_args(result, "setFinalMessage"), std::vector<json>{json::array({"The threat is gone!"})})
      << result.log;

  const auto messages = result.log_messages();
  for (const auto& [path, content] : files) {
    EXPECT_EQ(harness::read_deep_file(path), content) << path;
    EXPECT_FALSE(harness::deep_file_exists(path.native() + L".kyl")) << "removed once decrypted: " << path;
    const bool past_the_limit = path.native().size() + 4 > 259;  // the library is given the .kyl file
    const std::wstring given = past_the_limit ? harness::long_form(path) : path.native();
    EXPECT_TRUE(contains(messages, "DemoVault: restored \"" + fs::path(given).string() + "\".")) << path << "\n"
                                                                                                 << result.log;
  }
}

}  // namespace
