// Finding and binding the decryption library, and handing its information to the page.
#include <gtest/gtest.h>

#include "tests/process/run_helpers.h"

namespace {

using harness::Sandbox;
using harness::ToolRun;
using namespace run_helpers;

const std::string kLoadFailure = "Debug: Could not load the decryption library (0x";

struct BindingCase {
  const char* name;
  std::wstring library;                 // installed as Keyloom.dll
  void (*prepare)(const Sandbox& box);  // further files in the working directory
  std::vector<std::string> lines;       // the whole log; a line ending in "(0x" is a prefix
};

class BindingFailure : public testing::TestWithParam<BindingCase> {};

TEST_P(BindingFailure, EndsWithOneAndSaysWhy) {
  Sandbox box;
  if (GetParam().prepare) GetParam().prepare(box);
  const auto result = box.run(ToolRun{.library = GetParam().library, .args = {L"start", L"-full-scan"}});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 1u);
  const auto messages = result.log_messages(true);
  ASSERT_EQ(messages.size(), GetParam().lines.size()) << result.log;
  for (size_t i = 0; i < messages.size(); ++i) {
    const std::string& wanted = GetParam().lines[i];
    if (wanted.ends_with("(0x")) {
      EXPECT_EQ(messages[i].rfind(wanted, 0), 0u) << messages[i];
      EXPECT_TRUE(messages[i].ends_with(").")) << messages[i];
    } else {
      EXPECT_EQ(messages[i], wanted);
    }
  }
  EXPECT_TRUE(page_args(result, "setRansomwareName").empty()) << "nothing is published";
}

const std::vector<std::string> kAllMissing = {
    "Debug: Could not get address of GetInfo!", "Debug: Could not get address of Init!",
    "Debug: Could not get address of DecryptSingleFile!", "Debug: Could not get address of Finish!"};

INSTANTIATE_TEST_SUITE_P(
    Table, BindingFailure,
    testing::Values(
        BindingCase{"directory_with_the_name", L"",
                    [](const Sandbox& box) { fs::create_directories(box.app_dir() / "Keyloom.dll"); }, kAllMissing},
        BindingCase{"not_a_library",
                    L"",
                    [](const Sandbox& box) { harness::write_file(box.app_dir() / "Keyloom.dll", "not a program"); },
                    {kLoadFailure}},
        BindingCase{
            "without_GetInfo", L"keyloom-test-no-getinfo.dll", nullptr, {"Debug: Could not get address of GetInfo!"}},
        BindingCase{"without_Init", L"keyloom-test-no-init.dll", nullptr, {"Debug: Could not get address of Init!"}},
        BindingCase{"without_DecryptSingleFile",
                    L"keyloom-test-no-decryptsinglefile.dll",
                    nullptr,
                    {"Debug: Could not get address of DecryptSingleFile!"}},
        BindingCase{
            "without_Finish", L"keyloom-test-no-finish.dll", nullptr, {"Debug: Could not get address of Finish!"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LibraryBinding, OnlyTheFirstListedMatchIsTried) {
  Sandbox box;
  // Two names that both end like the library; the listing decides which is first, and that one is broken.
  harness::write_file(box.app_dir() / "AKeyloom.dll", "x");
  harness::write_file(box.app_dir() / "BKeyloom.dll", "x");
  std::string first;
  for (const std::string& name : listing_order(box.app_dir())) {
    if (name.ends_with("Keyloom.dll")) {
      first = name;
      break;
    }
  }
  const std::string second = first == "AKeyloom.dll" ? "BKeyloom.dll" : "AKeyloom.dll";
  fs::copy_file(harness::bin_dir() / "keyloom-test.dll", box.app_dir() / second, fs::copy_options::overwrite_existing);
  const auto result = box.run(ToolRun{.args = {L"start", L"-full-scan"}});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 1u);
  const auto messages = result.log_messages(true);
  ASSERT_EQ(messages.size(), 1u) << result.log;
  EXPECT_EQ(messages[0].rfind(kLoadFailure, 0), 0u) << messages[0];
}

// The library's own name wins wherever it is listed; until the last round a name listed before it that
// merely ended the same way (here a broken one) was taken, and the run ended with 1.
TEST(LibraryBinding, TheLibrarysOwnNameInAnyLetterCaseWinsOverANameThatOnlyEndsLikeIt) {
  for (const char* own : {"Keyloom.dll", "keyloom.DLL"}) {
    SCOPED_TRACE(own);
    Sandbox box;
    harness::write_file(box.app_dir() / "0Keyloom.dll", "not a program");
    fs::copy_file(harness::bin_dir() / "keyloom-test.dll", box.app_dir() / own);
    const auto result = box.run(ToolRun{.scenario = "on load close\n"});
    ASSERT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_code, 0u) << result.log;
    EXPECT_EQ(harness::read_file(box.app_dir() / (std::string(own) + ".record")), "GetInfo\n");
  }
}

TEST(LibraryBinding, ALongerNameEndingLikeTheLibraryIsBound) {
  Sandbox box;
  fs::copy_file(harness::bin_dir() / "keyloom-test.dll", box.app_dir() / "OldKeyloom.dll");
  const auto result = box.run(ToolRun{.scenario = "on load close\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u);
  EXPECT_EQ(harness::read_file(box.app_dir() / "OldKeyloom.dll.record"), "GetInfo\n");
}

TEST(LibraryBinding, StartedFromAnotherFolderTheEngineComesFromBesideTheProgramAndTheLibraryFromTheWorkingDirectory) {
  Sandbox box;
  make_files(box.files_dir(), {"one.bin"});
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll",
                                      .program_apart = true,
                                      .args = {L"start", L"-scan-path", box.files_dir().wstring()},
                                      .scenario = kCloseAtFinalStep,
                                      .library_config = "flags=scan,backup,overwrite,whole\nresult=one.bin,1\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u) << result.log;
  EXPECT_EQ(library_calls_named(result, "DecryptSingleFile").size(), 1u) << result.library_record;
  EXPECT_EQ(page_args(result, "setFinalMessage"), std::vector<json>{json::array({"The threat is gone!"})});
}

TEST(LibraryBinding, TheLibrarysOwnDependenciesComeFromItsFolder) {
  Sandbox box;
  fs::copy_file(harness::bin_dir() / "keyloom-test-dependency.dll", box.app_dir() / "keyloom-test-dependency.dll");
  const auto result = box.run(
      ToolRun{.library = L"keyloom-test-with-dependency.dll", .program_apart = true, .scenario = "on load close\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u) << result.log;
  EXPECT_EQ(page_args(result, "setRansomwareName"), std::vector<json>{json::array({"Dependent family"})});
}

TEST(LibraryBinding, ALibraryOnlyBesideTheProgramIsNotBound) {
  Sandbox box;
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll",
                                      .program_apart = true,
                                      .library_place = harness::Place::BesideProgram,
                                      .args = {L"start", L"-full-scan"}});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 1u);
  EXPECT_EQ(result.log_messages(true), kAllMissing);
  EXPECT_TRUE(result.library_calls().empty());
}

struct PublishCase {
  const char* name;
  std::string config;
  std::vector<std::string> calls;  // page functions called at start-up, in order
  json options;                    // the argument of addOptions, when called
};

class PublishToolInfo : public testing::TestWithParam<PublishCase> {};

TEST_P(PublishToolInfo, PageCallsInOrder) {
  Sandbox box;
  const auto result = box.run(
      ToolRun{.library = L"keyloom-test.dll", .scenario = "on load close\n", .library_config = GetParam().config});
  ASSERT_FALSE(result.timed_out);
  std::vector<std::string> calls;
  for (const std::string& name : result.page_calls()) {
    if (name.rfind("disable", 0) == 0 || name == "addOptions" || name.rfind("set", 0) == 0) calls.push_back(name);
  }
  EXPECT_EQ(calls, GetParam().calls);
  const auto added = page_args(result, "addOptions");
  if (!GetParam().options.is_null()) {
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0], json::array({GetParam().options}));
  }
  const auto name = page_args(result, "setRansomwareName");
  ASSERT_EQ(name.size(), 1u);
  EXPECT_EQ(name[0], json::array({"Fam\xc3\xa9"})) << "ANSI text reaches the page as Unicode";
}

INSTANTIATE_TEST_SUITE_P(
    Table, PublishToolInfo,
    testing::Values(
        PublishCase{
            "everything_enabled_with_options",
            "name=Fam\xe9\noption=10,1,Own,First option\noption=11,0,Other,Second option\n",
            {"addOptions", "setRansomwareName", "setToolDescription"},
            json::array(
                {json{{"id", 10}, {"name", "Own"}, {"description", "First option"}, {"checked_by_default", true}},
                 json{
                     {"id", 11}, {"name", "Other"}, {"description", "Second option"}, {"checked_by_default", false}}})},
        PublishCase{"nothing_enabled_no_options",
                    "name=Fam\xe9\nflags=\n",
                    {"disableScanPath", "disableTestPath", "disableBackup", "disableWholeScan", "disableOverwrite",
                     "disableAdvancedOptions", "setRansomwareName", "setToolDescription"},
                    nullptr},
        PublishCase{"overwrite_only_gives_an_empty_list",
                    "name=Fam\xe9\nflags=overwrite\n",
                    {"disableScanPath", "disableTestPath", "disableBackup", "disableWholeScan", "addOptions",
                     "setRansomwareName", "setToolDescription"},
                    json::array()}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
