// Names that end with a dot. The classic path rules drop a trailing dot from each name, on Windows and
// under Wine alike (here "dir.\*" lists "dir", and a file "a.locked." opened by its classic path is
// "a.locked"), so these runs show what a user on Windows meets: each such name is reached exactly, in the
// long-path form, and a twin without the dot is never taken for it.
#include <gtest/gtest.h>

#include "tests/process/run_helpers.h"

namespace {

using harness::Sandbox;
using harness::ToolRun;
using namespace run_helpers;

constexpr const wchar_t* kKey = L"00112233445566778899aabbccddeeff";

// Encrypts the files with the demonstration family's tool, each under its own final path.
void encryptInPlace(const Sandbox& box, const fs::path& pairs,
                    const std::vector<std::pair<fs::path, std::string>>& files) {
  const fs::path flat = box.files_dir() / "flat";
  for (size_t i = 0; i < files.size(); ++i) harness::write_file(flat / (std::to_string(i) + ".txt"), files[i].second);
  ASSERT_EQ(harness::run_program(L"demo_encrypt.exe", {flat.wstring(), pairs.wstring(), kKey}, box.files_dir()), 0u);
  for (size_t i = 0; i < files.size(); ++i) {
    const fs::path& target = files[i].first;
    ASSERT_TRUE(harness::make_folders(target.parent_path())) << target;
    ASSERT_TRUE(harness::move_file(flat / (std::to_string(i) + ".txt.kyl"), target.native() + L".kyl")) << target;
  }
}

TEST(TrailingDots, AFolderNamedWithADotAndItsTwinWithoutAreEachRestored) {
  Sandbox box;
  const fs::path victim = box.files_dir() / "victim";
  const fs::path pairs = box.files_dir() / "pairs";
  const std::vector<std::pair<fs::path, std::string>> files = {
      {victim / "dir." / "report.txt", "in the folder whose name ends with a dot"},
      {victim / "dir" / "report.txt", "in its twin"},
      {victim / "only." / "notes.txt", "in a dotted folder without a twin"}};
  encryptInPlace(box, pairs, files);

  const auto result = box.run(
      ToolRun{.library = L"keyloom-demo.dll",
              .args = {L"start", L"-scan-path", victim.wstring(), L"-test-path", pairs.wstring(), L"-disable-backup"},
              .scenario = kCloseAtFinalStep});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(page_args(result, "setFinalMessage"), std::vector<json>{json::array({"The threat is gone!"})})
      << result.log;
  for (const auto& [path, content] : files) {
    EXPECT_EQ(harness::read_deep_file(path), content) << path;
    EXPECT_FALSE(harness::deep_file_exists(path.native() + L".kyl")) << "removed once decrypted: " << path;
  }
}

TEST(TrailingDots, AScanPathEndingWithADotIsFoundAndScanned) {
  Sandbox box;
  const fs::path victim = box.files_dir() / "victim.";
  const fs::path pairs = box.files_dir() / "pairs";
  encryptInPlace(box, pairs, {{victim / "letter.doc", "a letter"}});
  const auto result = box.run(
      ToolRun{.library = L"keyloom-demo.dll",
              .args = {L"start", L"-scan-path", victim.wstring(), L"-test-path", pairs.wstring(), L"-disable-backup"},
              .scenario = kCloseAtFinalStep});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u) << result.log;
  EXPECT_EQ(harness::read_deep_file(victim / "letter.doc"), "a letter") << result.log;
  EXPECT_FALSE(harness::deep_file_exists(victim / "letter.doc.kyl"));
}

TEST(TrailingDots, AFileNamedWithADotIsHandedOverAndRemovedExactlyItsTwinStays) {
  Sandbox box;
  const fs::path victim = box.files_dir() / "victim";
  const fs::path dotted = victim / "a.locked.";
  const fs::path twin = victim / "a.locked";
  ASSERT_TRUE(harness::make_folders(victim));
  for (const auto& [path, content] :
       {std::pair{dotted, std::string("encrypted")}, std::pair{twin, std::string("twin")}}) {
    const HANDLE file = CreateFileW(harness::long_form(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
  }
  // The test library "restores" a file by copying it beside itself, and answers Decrypted for names ending
  // with a dot only.
  const auto result =
      box.run(ToolRun{.library = L"keyloom-test.dll",
                      .args = {L"start", L"-scan-path", victim.wstring(), L"-disable-backup"},
                      .scenario = kCloseAtFinalStep,
                      .library_config = "flags=scan,backup,overwrite,whole\nresult=*.,1\nalter=*.,copy\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_TRUE(contains(library_calls_named(result, "DecryptSingleFile"),
                       "DecryptSingleFile\t" + fs::path(harness::long_form(dotted)).string() + "\t1"))
      << result.library_record;
  EXPECT_EQ(harness::read_deep_file(dotted.native() + L".restored"), "encrypted") << "the library read the dotted file";
  EXPECT_FALSE(harness::deep_file_exists(dotted)) << "the encrypted file is removed";
  EXPECT_EQ(harness::read_deep_file(twin), "twin") << "its twin without the dot is left alone";
}

}  // namespace
