// Runs started by the page: settings read back from the page, stop requests, one run per process, and
// faults of the page, the folder or the progress report that must end the run cleanly.
#include <gtest/gtest.h>

#include "tests/process/run_helpers.h"

namespace {

using harness::Sandbox;
using harness::ToolRun;
using namespace run_helpers;

// A page whose settings name the folder, with the given option list, that starts a run once loaded.
std::string pageStartingRun(const fs::path& folder, const std::string& options) {
  return "answer getEncryptedPath " + json_text(folder.string()) + "\nanswer getTestPath \"\"\nanswer getOptions " +
         options + "\non load native DecryptWrapper\n";
}

constexpr const char* kNoBackup = R"([{"id":1,"checked":false},{"id":2,"checked":false},{"id":3,"checked":false}])";
constexpr const char* kStopLine =
    "The decryption process has been stopped! Waiting for the last file to be decrypted, to avoid corruption...";

TEST(InteractiveRun, StopFinishesTheFileInHandThenReportsWhatWasDone) {
  Sandbox box;
  make_files(box.files_dir(), {"a.kyl", "b.kyl", "c.kyl", "d.kyl"});
  const auto result =
      box.run(ToolRun{.library = L"keyloom-test.dll",
                      .scenario = pageStartingRun(box.files_dir(), kNoBackup) +
                                  "on call setProgressInfo#2 native StopDecryption\n" + kCloseAtFinalStep,
                      .library_config = "result=*,1\ndelay=*,1500\n"});
  ASSERT_FALSE(result.timed_out);

  const auto begun = library_calls_named(result, "Begin");
  const auto done = library_calls_named(result, "DecryptSingleFile");
  EXPECT_EQ(begun.size(), 1u) << "the stop came while the first file was in hand";
  EXPECT_EQ(done.size(), begun.size()) << "the file in hand was finished";
  EXPECT_EQ(result.library_calls().back(), "Finish");

  EXPECT_EQ(page_args(result, "appendProgressInfo"),
            (std::vector<json>{json::array({kStopLine}), json::array({"The decryption process has ended."}),
                               json::array({"The threat is gone!"})}));
  const auto progress = page_args(result, "setProgressInfo");
  ASSERT_GE(progress.size(), 2u);
  EXPECT_EQ(progress[0], json::array({"0 files were decrypted.<br/>0 files could not be decrypted."}));
  int lastProgress = -1;
  for (size_t i = 0; i < result.journal.size(); ++i) {
    if (result.journal[i].call == "SciterCall" && result.journal[i].args.value("name", "") == "setProgressInfo") {
      lastProgress = static_cast<int>(i);
    }
  }
  EXPECT_LT(lastProgress, result.index_of("SciterCall", "appendProgressInfo")) << "no counter update after the stop";
  EXPECT_EQ(page_args(result, "showFinalStep"), std::vector<json>{json::array({true})});
  EXPECT_EQ(fs::exists(box.files_dir() / "a.kyl") + fs::exists(box.files_dir() / "b.kyl") +
                fs::exists(box.files_dir() / "c.kyl") + fs::exists(box.files_dir() / "d.kyl"),
            3)
      << "the one decrypted file was removed";
}

TEST(InteractiveRun, AStopPressedWhileTheLibraryStartsIsKeptAndNoFileIsOffered) {
  Sandbox box;
  make_files(box.files_dir(), {"a.kyl", "b.kyl"});
  const auto result =
      box.run(ToolRun{.library = L"keyloom-test.dll",
                      .scenario = pageStartingRun(box.files_dir(), kNoBackup) +
                                  "on call getOptions delay 300 native StopDecryption\n" + kCloseAtFinalStep,
                      .library_config = "result=*,1\ninitDelay=1500\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(library_calls_named(result, "Init").size(), 1u);
  EXPECT_TRUE(library_calls_named(result, "Begin").empty()) << result.library_record;
  EXPECT_EQ(result.library_calls().back(), "Finish");
  EXPECT_EQ(page_args(result, "appendProgressInfo"),
            (std::vector<json>{json::array({kStopLine}), json::array({"The decryption process has ended."}),
                               json::array({"Scan finished, no encrypted files have been found!"})}));
  EXPECT_EQ(page_args(result, "showFinalStep"), std::vector<json>{json::array({true})});
  EXPECT_TRUE(fs::exists(box.files_dir() / "a.kyl") && fs::exists(box.files_dir() / "b.kyl"));
}

TEST(InteractiveRun, ProgressIsReportedAboutThreeTimesPerSecond) {
  Sandbox box;
  make_files(box.files_dir(), {"a", "b", "c", "d", "e", "f"});
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll",
                                      .scenario = pageStartingRun(box.files_dir(), kNoBackup) + kCloseAtFinalStep,
                                      .library_config = "result=*,3\ndelay=*,500\n"});
  ASSERT_FALSE(result.timed_out);
  // Six files of half a second each: about ten reports, never one per file or fewer than one a second.
  const auto progress = page_args(result, "setProgressInfo");
  std::cout << "progress reports for a 3-second run: " << progress.size() << "\n";
  EXPECT_GE(progress.size(), 4u);
  EXPECT_LE(progress.size(), 16u);
  for (const json& args : progress) {
    const std::string text = args[0];
    EXPECT_TRUE(text.ends_with(" files could not be decrypted.")) << text;
    EXPECT_NE(text.find(" files were decrypted.<br/>"), std::string::npos) << text;
  }
}

TEST(InteractiveRun, StopBeforeAnyRunChangesNothing) {
  Sandbox box;
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll",
                                      .scenario = "on load native StopDecryption\non load native StopDecryption\n"
                                                  "on load delay 300 close\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_TRUE(result.log_messages().empty()) << result.log;
  EXPECT_TRUE(page_args(result, "appendProgressInfo").empty());
}

TEST(InteractiveRun, OneRunPerProcess) {
  Sandbox box;
  make_files(box.files_dir(), {"a.kyl"});
  const auto result = box.run(
      ToolRun{.library = L"keyloom-test.dll",
              .scenario = pageStartingRun(box.files_dir(), kNoBackup) + "on load delay 100 native DecryptWrapper\n" +
                          "on call showFinalStep native DecryptWrapper\non call showFinalStep delay 1000 close\n",
              .library_config = "result=*,0\ndelay=*,800\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(library_calls_named(result, "Init").size(), 1u);
  EXPECT_EQ(library_calls_named(result, "Finish").size(), 1u);
  EXPECT_EQ(page_args(result, "showFinalStep").size(), 1u);
  size_t ignored = 0;
  for (const auto& line : result.log_messages()) ignored += line.find("already started") != std::string::npos;
  EXPECT_EQ(ignored, 2u) << "the start while running and the start after the end";
}

TEST(InteractiveRun, WithoutABackupChoiceDecryptedFilesAreRemoved) {
  Sandbox box;
  make_files(box.files_dir(), {"a.kyl", "b.txt"});
  const auto result = box.run(
      ToolRun{.library = L"keyloom-test.dll",
              .scenario = pageStartingRun(box.files_dir(), R"([{"id":2,"checked":false},{"id":10,"checked":true}])") +
                          kCloseAtFinalStep,
              .library_config = "result=*.kyl,1\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_FALSE(fs::exists(box.files_dir() / "a.kyl"));
  EXPECT_TRUE(fs::exists(box.files_dir() / "b.txt"));
  const auto init = library_calls_named(result, "Init");
  ASSERT_EQ(init.size(), 1u);
  EXPECT_NE(init[0].find("\toptions=2:0,10:1\t"), std::string::npos) << init[0];
}

// The engine hands the page's array of objects back as a script object, and ids the page computed may come
// as floating values: Backup checked must still keep every encrypted file.
TEST(InteractiveRun, ChoicesAnsweredAsScriptObjectsWithBackupCheckedKeepEveryEncryptedFile) {
  Sandbox box;
  make_files(box.files_dir(), {"a.kyl", "b.kyl", "c.kyl"});
  const auto result = box.run(ToolRun{
      .library = L"keyloom-test.dll",
      .scenario =
          pageStartingRun(box.files_dir(),
                          R"([{"id":2.0,"checked":false},{"id":1.0,"checked":true},{"id":3,"checked":false}])") +
          kCloseAtFinalStep,
      .library_config = "result=*.kyl,1\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(library_calls_named(result, "DecryptSingleFile").size(), 3u);
  for (const char* name : {"a.kyl", "b.kyl", "c.kyl"}) EXPECT_TRUE(fs::exists(box.files_dir() / name)) << name;
  const auto init = library_calls_named(result, "Init");
  ASSERT_EQ(init.size(), 1u);
  EXPECT_NE(init[0].find("\toptions=2:0,1:1,3:0\t"), std::string::npos) << init[0];
  EXPECT_EQ(page_args(result, "showFinalStep"), std::vector<json>{json::array({true})});
}

// An answer that is no list of choices says nothing about Backup: the run ends before the library starts,
// and no file is touched.
struct UnreadableChoices {
  const char* name;
  const char* options;  // the page's answer to getOptions, or a script error
  const char* logged;   // part of the Debug line
};

class ChoicesThatCannotBeRead : public testing::TestWithParam<UnreadableChoices> {};

TEST_P(ChoicesThatCannotBeRead, EndTheRunBeforeTheLibraryStartsAndKeepEveryFile) {
  Sandbox box;
  make_files(box.files_dir(), {"a.kyl", "b.kyl"});
  const std::string options = GetParam().options;
  const std::string scenario = options.rfind("error ", 0) == 0 ? "error getOptions " + options.substr(6) + "\n" +
                                                                     pageStartingRun(box.files_dir(), "null")
                                                               : pageStartingRun(box.files_dir(), options);
  const auto result = box.run(ToolRun{
      .library = L"keyloom-test.dll", .scenario = scenario + kCloseAtFinalStep, .library_config = "result=*.kyl,1\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u);
  EXPECT_TRUE(library_calls_named(result, "Init").empty()) << result.library_record;
  EXPECT_TRUE(library_calls_named(result, "DecryptSingleFile").empty());
  EXPECT_TRUE(fs::exists(box.files_dir() / "a.kyl") && fs::exists(box.files_dir() / "b.kyl"));
  EXPECT_EQ(page_args(result, "showFinalStep"), std::vector<json>{json::array({false})});
  bool explained = false;
  for (const auto& line : result.log_messages(true))
    explained |= line.rfind("Debug: ", 0) == 0 && line.find(GetParam().logged) != std::string::npos;
  EXPECT_TRUE(explained) << result.log;
}

INSTANTIATE_TEST_SUITE_P(Table, ChoicesThatCannotBeRead,
                         testing::Values(UnreadableChoices{"not_a_list", R"("Backup")", "the answer is not a list"},
                                         UnreadableChoices{"no_answer", "null", "the answer is not a list"},
                                         UnreadableChoices{"no_id", R"([{"id":2,"checked":false},{"checked":true}])",
                                                           "element 1 has no whole-number id"},
                                         UnreadableChoices{"script_error",
                                                           "error ReferenceError: options is not defined",
                                                           "ReferenceError: options is not defined"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InteractiveRun, AFolderThatCannotBeOpenedEndsOnTheFailureStep) {
  Sandbox box;
  const auto result =
      box.run(ToolRun{.library = L"keyloom-test.dll",
                      .scenario = pageStartingRun(box.files_dir() / "missing", kNoBackup) + kCloseAtFinalStep});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u);
  EXPECT_EQ(page_args(result, "showFinalStep"), std::vector<json>{json::array({false})});
  EXPECT_EQ(page_args(result, "setLogPath").size(), 1u);
  EXPECT_EQ(result.library_calls().back(), "Finish");
  bool explained = false;
  for (const auto& line : result.log_messages()) explained |= line.rfind("Could not open \"", 0) == 0;
  EXPECT_TRUE(explained) << result.log;
}

// Closing the window mid-run, by the page's close button (which asks for a stop first) or by the system
// (the close alone): the file in hand is finished, no other file begins, the library is finished, and only
// then does the process end, with the message loop's result. The window is gone, so the end of the run
// is shown nowhere.
struct ClosingCase {
  const char* name;
  const char* closing;  // scenario lines, run while the first file is in hand
  bool stopLine;
};

class ClosingMidRun : public testing::TestWithParam<ClosingCase> {};

TEST_P(ClosingMidRun, FinishesTheFileInHandAndTheLibraryBeforeTheProcessEnds) {
  Sandbox box;
  make_files(box.files_dir(), {"a.kyl", "b.kyl", "c.kyl", "d.kyl"});
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll",
                                      .scenario = pageStartingRun(box.files_dir(), kNoBackup) + GetParam().closing,
                                      .library_config = "result=*,1\ndelay=*,1500\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u) << "the message loop's result";

  const auto begun = library_calls_named(result, "Begin");
  const auto done = library_calls_named(result, "DecryptSingleFile");
  EXPECT_EQ(begun.size(), 1u) << "no file begins once the window is gone";
  ASSERT_EQ(done.size(), begun.size()) << "the file in hand was finished";
  EXPECT_EQ(done[0].substr(done[0].rfind('\t')), "\t1");
  ASSERT_FALSE(result.library_calls().empty());
  EXPECT_EQ(result.library_calls().back(), "Finish");
  int left = 0;
  for (const auto& name : {"a.kyl", "b.kyl", "c.kyl", "d.kyl"}) left += fs::exists(box.files_dir() / name);
  EXPECT_EQ(left, 3) << "the decrypted file was removed before the process ended";

  const auto messages = result.log_messages();
  EXPECT_EQ(contains(messages, kStopLine), GetParam().stopLine);
  EXPECT_TRUE(contains(messages, "The decryption process has ended.")) << result.log;
  EXPECT_TRUE(page_args(result, "setFinalMessage").empty());
  EXPECT_TRUE(page_args(result, "showFinalStep").empty());
  const int destroyed = result.index_of("WindowDestroyed");
  ASSERT_GE(destroyed, 0);
  int calledAfter = 0, refusedAfter = 0;
  for (size_t i = static_cast<size_t>(destroyed); i < result.journal.size(); ++i) {
    calledAfter += result.journal[i].call == "SciterCall";
    refusedAfter += result.journal[i].call == "SciterCallRefused";
  }
  EXPECT_EQ(calledAfter, refusedAfter) << "nothing reaches a page that is gone";
}

INSTANTIATE_TEST_SUITE_P(Table, ClosingMidRun,
                         testing::Values(ClosingCase{"close_button",
                                                     "on call setProgressInfo#2 native StopDecryption\n"
                                                     "on call setProgressInfo#2 close\n",
                                                     true},
                                         ClosingCase{"system_close", "on call setProgressInfo#2 close\n", false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct PageFault {
  const char* name;
  const char* scenario;  // the failing page function
  bool initCalled;
};

class PageFaults : public testing::TestWithParam<PageFault> {};

TEST_P(PageFaults, EndTheRunOnTheFailureStepWithoutCrashing) {
  Sandbox box;
  make_files(box.files_dir(), {"a.kyl", "b.kyl", "c.kyl"});
  const auto result =
      box.run(ToolRun{.library = L"keyloom-test.dll",
                      .scenario = std::string(GetParam().scenario) + pageStartingRun(box.files_dir(), kNoBackup) +
                                  "on call showFinalStep close\non load delay 5000 close\n",
                      .library_config = "result=*,0\ndelay=*,200\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u) << "the process ended normally";
  const auto step = page_args(result, "showFinalStep");
  ASSERT_FALSE(step.empty());
  EXPECT_EQ(step.back(), json::array({false}));
  EXPECT_EQ(library_calls_named(result, "Init").size(), GetParam().initCalled ? 1u : 0u);
  EXPECT_EQ(library_calls_named(result, "Finish").size(), GetParam().initCalled ? 1u : 0u);
  bool logged = false;
  for (const auto& line : result.log_messages()) logged |= line.find("script said no") != std::string::npos;
  EXPECT_TRUE(logged) << result.log;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PageFaults,
    testing::Values(PageFault{"settings_unreadable", "error getEncryptedPath script said no\n", false},
                    PageFault{"progress_rejected", "error setProgressInfo script said no\n", true},
                    PageFault{"final_message_rejected", "error setFinalMessage script said no\n", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
