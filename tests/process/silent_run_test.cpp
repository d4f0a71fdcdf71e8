// A silent run from start to outcome: the library's answers decide the outcome, its lines in the log and
// on the page, the final message and step, and which encrypted files are removed.
#include <gtest/gtest.h>

#include "tests/process/run_helpers.h"

namespace {

using harness::Sandbox;
using harness::ToolRun;
using namespace run_helpers;

// The library needs no test folder, so a scan path alone starts a run.
constexpr const char* kNoTestFolder = "flags=scan,backup,overwrite,whole\n";

struct OutcomeCase {
  const char* name;
  std::vector<int> results;  // the library's answer for each file, in the order the scan meets them
  const char* message;
  bool logPath;
  bool success;
  size_t filesOffered;  // a full disk ends the root early
};

class SilentOutcome : public testing::TestWithParam<OutcomeCase> {};

TEST_P(SilentOutcome, LinesPageCallsAndStep) {
  const OutcomeCase& c = GetParam();
  Sandbox box;
  std::vector<std::string> names;
  for (size_t i = 0; i < c.results.size(); ++i) names.push_back("file" + std::to_string(i) + ".bin");
  make_files(box.files_dir(), names);
  std::string config = kNoTestFolder;
  const auto order = listing_order(box.files_dir());
  for (size_t i = 0; i < order.size(); ++i) config += "result=" + order[i] + "," + std::to_string(c.results[i]) + "\n";

  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll",
                                      .args = {L"start", L"-scan-path", box.files_dir().wstring()},
                                      .scenario = kCloseAtFinalStep,
                                      .library_config = config});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u);

  const auto messages = result.log_messages(true);
  ASSERT_GE(messages.size(), 3u) << result.log;
  EXPECT_TRUE(contains(messages, "Info: Scanning system..."));
  EXPECT_EQ(messages[messages.size() - 2], "Info: The decryption process has ended.");
  EXPECT_EQ(messages.back(), std::string("Info: ") + c.message);

  // The outcome lines reach the page's progress list; the start of the scan does not.
  EXPECT_EQ(page_args(result, "appendProgressInfo"),
            (std::vector<json>{json::array({"The decryption process has ended."}), json::array({c.message})}));
  EXPECT_EQ(page_args(result, "setFinalMessage"), std::vector<json>{json::array({c.message})});
  const auto logPath = page_args(result, "setLogPath");
  ASSERT_EQ(logPath.size(), c.logPath ? 1u : 0u);
  if (c.logPath) {
    EXPECT_TRUE(logPath[0][0].get<std::string>().ends_with("\\OstrivelLog.txt")) << logPath[0];
    EXPECT_LT(result.index_of("SciterCall", "setFinalMessage"), result.index_of("SciterCall", "setLogPath"));
  }
  EXPECT_EQ(page_args(result, "showFinalStep"), std::vector<json>{json::array({c.success})});
  EXPECT_LT(result.index_of("SciterCall", "setFinalMessage"), result.index_of("SciterCall", "showFinalStep"));

  const auto calls = result.library_calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0], "GetInfo");
  EXPECT_EQ(calls[1].rfind("Init\t", 0), 0u);
  EXPECT_EQ(calls.back(), "Finish");
  EXPECT_EQ(library_calls_named(result, "DecryptSingleFile").size(), c.filesOffered);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SilentOutcome,
    testing::Values(
        OutcomeCase{"nothing_encrypted", {0, 0}, "Scan finished, no encrypted files have been found!", false, true, 2},
        OutcomeCase{"empty_folder", {}, "Scan finished, no encrypted files have been found!", false, true, 0},
        OutcomeCase{"all_decrypted", {1, 0, 1}, "The threat is gone!", false, true, 3},
        OutcomeCase{"disk_full_ends_the_root",
                    {1, 2, 1},
                    "The recovery process has been stopped due to insufficient disk space.",
                    true,
                    false,
                    2},
        OutcomeCase{"some_failed",
                    {1, 3, 1, 2, 1, 3},
                    "The recovery process has failed for some files. Only 2 from 4 files were decrypted.",
                    true,
                    false,
                    4},
        OutcomeCase{"three_of_five",
                    {1, 1, 3, 1, 3},
                    "The recovery process has failed for some files. Only 3 from 5 files were decrypted.",
                    true,
                    false,
                    5},
        OutcomeCase{"failed_before_full_disk", {3, 2, 0}, "Your files couldn't be decrypted", true, false, 2},
        OutcomeCase{"result_out_of_range_counts_nowhere",
                    {7, 0},
                    "Scan finished, no encrypted files have been found!",
                    false,
                    true,
                    2}),
    [](const auto& info) { return std::string(info.param.name); });

struct DeletionCase {
  const char* name;
  std::vector<std::wstring> extraArgs;
  bool decryptedRemoved;
};

class Deletion : public testing::TestWithParam<DeletionCase> {};

TEST_P(Deletion, OnlyDecryptedFilesGoAndOnlyWithoutBackup) {
  Sandbox box;
  make_files(box.files_dir(), {"dec.kyl", "sub/dec2.kyl", "plain.txt", "bad.kyl"});
  std::vector<std::wstring> args = {L"start", L"-scan-path", box.files_dir().wstring()};
  args.insert(args.end(), GetParam().extraArgs.begin(), GetParam().extraArgs.end());
  const auto result =
      box.run(ToolRun{.library = L"keyloom-test.dll",
                      .args = args,
                      .scenario = kCloseAtFinalStep,
                      .library_config = std::string(kNoTestFolder) + "result=dec*.kyl,1\nresult=bad.kyl,3\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(library_calls_named(result, "DecryptSingleFile").size(), 4u);
  for (const char* decrypted : {"dec.kyl", "sub/dec2.kyl"}) {
    EXPECT_EQ(!fs::exists(box.files_dir() / decrypted), GetParam().decryptedRemoved) << decrypted;
  }
  for (const char* kept : {"plain.txt", "bad.kyl"}) EXPECT_TRUE(fs::exists(box.files_dir() / kept)) << kept;
}

INSTANTIATE_TEST_SUITE_P(Table, Deletion,
                         testing::Values(DeletionCase{"backup_checked_by_default", {}, false},
                                         DeletionCase{"backup_disabled", {L"-disable-backup"}, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SilentRun, InitReceivesTheCommandLineSettings) {
  Sandbox box;
  fs::create_directories(box.files_dir() / "pairs");
  const auto result =
      box.run(ToolRun{.library = L"keyloom-test.dll",
                      .args = {L"-replace-existing", L"start", L"-test-path", (box.files_dir() / "pairs").wstring(),
                               L"-scan-path", box.files_dir().wstring(), L"-disable-backup"},
                      .scenario = kCloseAtFinalStep,
                      .library_config = "option=10,1,Own,Own option\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(library_calls_named(result, "Init"),
            std::vector<std::string>{"Init\tscan=" + box.files_dir().string() + "\ttest=" +
                                     (box.files_dir() / "pairs").string() + "\toptions=1:0,2:0,3:1\tlog=set"});
  EXPECT_EQ(page_args(result, "showDecryptionStep"), std::vector<json>{json::array({false})});
  EXPECT_LT(result.index_of("SciterCall", "showDecryptionStep"), result.index_of("SciterCall", "setFinalMessage"));
}

TEST(SilentRun, AScanPathNamingAFileOffersThatFile) {
  Sandbox box;
  make_files(box.files_dir(), {"one.kyl", "other.kyl"});
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll",
                                      .args = {L"start", L"-scan-path", (box.files_dir() / "one.kyl").wstring()},
                                      .scenario = kCloseAtFinalStep,
                                      .library_config = std::string(kNoTestFolder) + "result=*,1\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(library_calls_named(result, "DecryptSingleFile"),
            std::vector<std::string>{"DecryptSingleFile\t" + (box.files_dir() / "one.kyl").string() + "\t1"});
  EXPECT_EQ(page_args(result, "showFinalStep"), std::vector<json>{json::array({true})});
}

TEST(SilentRun, InitFailureShowsTheLibraryTextOrTheDefaultAndLogsIt) {
  const struct {
    const char* init;
    const char* shown;
  } cases[] = {{"init=fail:Schl\xc3\xbcssel fehlt\n", "Schl\xc3\xbcssel fehlt"},
               {"init=fail\n", "Initialization failed."}};
  for (const auto& c : cases) {
    Sandbox box;
    const auto result = box.run(ToolRun{.library = L"keyloom-test.dll",
                                        .args = {L"start", L"-scan-path", box.files_dir().wstring()},
                                        .scenario = kCloseAtFinalStep,
                                        .library_config = std::string(kNoTestFolder) + c.init});
    ASSERT_FALSE(result.timed_out);
    EXPECT_EQ(page_args(result, "setFinalMessage"), std::vector<json>{json::array({c.shown})}) << c.init;
    EXPECT_EQ(page_args(result, "setLogPath").size(), 1u);
    EXPECT_EQ(page_args(result, "showFinalStep"), std::vector<json>{json::array({false})});
    EXPECT_TRUE(library_calls_named(result, "Finish").empty()) << "no Finish after a failed Init";
    EXPECT_TRUE(page_args(result, "setProgressInfo").empty()) << "no progress thread";
    // Nobody may be watching a silent run: the log alone tells that the library refused, in one Info line.
    const auto messages = result.log_messages(true);
    ASSERT_EQ(messages.size(), 2u) << result.log;
    EXPECT_EQ(messages[0].rfind("Debug: The tool has been executed", 0), 0u);
    EXPECT_EQ(messages[1], std::string("Info: ") + c.shown);
  }
}

TEST(SilentRun, AnEmptyScanPathWithoutWholeScanIsReportedNotScanned) {
  Sandbox box;
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll",
                                      .args = {L"start", L"-scan-path"},
                                      .scenario = kCloseAtFinalStep,
                                      .library_config = std::string(kNoTestFolder) + "result=*,1\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_TRUE(library_calls_named(result, "DecryptSingleFile").empty());
  const auto finalMessage = page_args(result, "setFinalMessage");
  ASSERT_EQ(finalMessage.size(), 1u);
  EXPECT_NE(finalMessage[0][0].get<std::string>().find("No folder to scan"), std::string::npos) << finalMessage[0];
  EXPECT_EQ(page_args(result, "showFinalStep"), std::vector<json>{json::array({false})});
  EXPECT_EQ(page_args(result, "setLogPath").size(), 1u);
  EXPECT_EQ(library_calls_named(result, "Finish").size(), 1u);
}

}  // namespace
