// Start-up as a user meets it: the engine binding, the order in which the window comes up, and the end.
#include <gtest/gtest.h>

#include <set>

#include "tests/process/harness.h"

namespace {

using harness::Sandbox;
using harness::ToolRun;
namespace fs = std::filesystem;

struct BindingCase {
  const char* name;
  std::wstring engine;
};

class EngineBinding : public testing::TestWithParam<BindingCase> {};

TEST_P(EngineBinding, EndsWithMinusOneBeforeAnythingIsShown) {
  Sandbox box;
  const auto result = box.run(ToolRun{.engine = GetParam().engine, .library = L"keyloom-test.dll"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(static_cast<int>(result.exit_code), -1);
  EXPECT_TRUE(result.journal.empty());
  EXPECT_TRUE(result.log.empty()) << result.log;
  EXPECT_TRUE(result.library_calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Table, EngineBinding,
                         testing::Values(BindingCase{"missing", L""},
                                         BindingCase{"no_entry_point", L"broken-engine-no-entry.dll"},
                                         BindingCase{"null_table", L"broken-engine-null-table.dll"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EngineBinding, AnEngineOnlyInTheWorkingDirectoryIsNotBound) {
  // The working directory holds both libraries, the program's folder neither: someone could have put
  // them where an administrator starts the program from.
  Sandbox box;
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll",
                                      .program_apart = true,
                                      .engine_place = harness::Place::WorkingDirectory,
                                      .scenario = "on load close\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(static_cast<int>(result.exit_code), -1);
  EXPECT_TRUE(result.journal.empty()) << "the stand-in engine was loaded";
  EXPECT_TRUE(result.log.empty()) << result.log;
  EXPECT_TRUE(result.library_calls().empty());
}

TEST(Startup, BringsTheWindowUpInOrder) {
  Sandbox box;
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll", .scenario = "on load close\n"});
  ASSERT_FALSE(result.timed_out);

  // Every engine call until the window shows, in order; value operations and the serving of the
  // document's parts are left out (the loading tests look at those).
  const std::set<std::string> details = {"SciterAtomValue", "SciterGetArchiveItem", "SciterDataReady",
                                         "LoadDataAnswered"};
  std::vector<std::string> calls;
  for (const auto& e : result.journal) {
    if (e.call.rfind("Value", 0) == 0 || details.count(e.call)) continue;
    calls.push_back(e.call);
    if (e.call == "WindowShown") break;
  }
  EXPECT_EQ(calls,
            (std::vector<std::string>{"SciterSetOption", "SciterSetOption", "SciterOpenArchive", "SciterCreateWindow",
                                      "SciterSetCallback", "SciterWindowAttachEventHandler", "HandlerSubscribed",
                                      "SciterLoadFile", "WindowSized", "DocumentLoaded", "WindowShown"}))
      << "journal order";

  const auto options = result.calls("SciterSetOption");
  ASSERT_EQ(options.size(), 2u);
  EXPECT_EQ(options[0].args["option"], 11);
  EXPECT_EQ(options[0].args["value"], 1);
  EXPECT_EQ(options[1].args["option"], 8);
  EXPECT_EQ(options[1].args["value"], 15);
  EXPECT_EQ(options[0].args["window"], nullptr);

  const auto created = result.calls("SciterCreateWindow");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0].args["flags"], 0x296);
  // No rectangle: the engine sizes the window as its document says, the panel with its margins.
  EXPECT_EQ(created[0].args["frame"], nullptr);
  EXPECT_EQ(result.calls("WindowSized")[0].args,
            harness::json({{"width", 798}, {"height", 542}, {"from", "document"}}));
  EXPECT_EQ(created[0].args["parent"], nullptr);

  EXPECT_EQ(result.calls("SciterWindowAttachEventHandler")[0].args["subscription"], 0xFFFF);
  EXPECT_EQ(result.calls("HandlerSubscribed")[0].args["groups"], 0xFFFF);
  EXPECT_EQ(result.calls("SciterLoadFile")[0].args["url"], "this://app/html/main.html");
  EXPECT_GT(result.calls("SciterOpenArchive")[0].args["length"].get<int>(), 0);
  EXPECT_NE(result.calls("SciterOpenArchive")[0].args["handle"], nullptr) << "the built archive opens";
}

TEST(Startup, ClosingTheWindowEndsTheProcessWithTheLoopResult) {
  Sandbox box;
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll", .scenario = "on load close\n"});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u) << "the stand-in engine quits its loop with 0";
  // The engine detaches the handler and reports its destruction; nothing is logged for a normal end.
  EXPECT_GE(result.index_of("WindowDestroyed"), 0);
  EXPECT_EQ(result.library_calls(), (std::vector<std::string>{"GetInfo"}));
  EXPECT_TRUE(result.log_messages().empty()) << result.log;
}

TEST(Startup, WithoutArgumentsNothingAboutTheCommandLineIsLogged) {
  Sandbox box;
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll", .scenario = "on load close\n"});
  EXPECT_EQ(result.log.find("command line"), std::string::npos);
  EXPECT_LT(result.index_of("SciterCall", "showDecryptionStep"), 0);
}

TEST(Startup, MissingLibraryEndsWithOneAfterTheWindowWasShown) {
  Sandbox box;
  const auto result = box.run(ToolRun{.args = {L"-help"}});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 1u);
  EXPECT_GE(result.index_of("WindowShown"), 0);
  EXPECT_EQ(result.log_messages(true),
            (std::vector<std::string>{
                "Debug: Could not get address of GetInfo!", "Debug: Could not get address of Init!",
                "Debug: Could not get address of DecryptSingleFile!", "Debug: Could not get address of Finish!"}))
      << "the arguments are never looked at";
}

}  // namespace

namespace {

// The harness gives the program an empty pipe as its standard input, so its pause has no console input
// and it goes on at once; a prompt that does wait is answered by the harness. The console lives only
// for the moment between its first line and the end, so its screen is checked where the harness caught
// it (the command interpreter's start-up used to keep it longer); the wait itself is tested in-process
// (KeyWait.*).
TEST(ArgumentError, ConsoleNamesTheLogAndNothingWaitsForAPerson) {
  Sandbox box;
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll", .args = {L"-help"}, .timeout_ms = 30000});
  ASSERT_FALSE(result.timed_out) << result.console;
  EXPECT_EQ(result.exit_code, 2u);
  // What the harness caught, blank lines aside, is the program's screen or the start of it.
  std::string shown;
  for (const char c : result.console)
    if (c != '\n' && c != ' ') shown += c;
  const std::string screen = "Check%temp%\\OstrivelLog.txt!Pressanykeytocontinue...";
  EXPECT_EQ(screen.substr(0, shown.size()), shown) << result.console;
  EXPECT_GE(result.index_of("WindowHidden"), 0);
}

// The elevated program's pause must not start a command interpreter: COMSPEC (and the interpreter's own
// AutoRun command) come from the user's environment, which any program of that user may rewrite.
TEST(ArgumentError, ThePauseStartsNoCommandInterpreter) {
  for (const std::vector<std::wstring>& args : {std::vector<std::wstring>{L"-help"}, {L"start"}}) {
    SCOPED_TRACE(testing::PrintToString(args.front()));
    Sandbox box;
    const fs::path interpreter = box.files_dir() / "interpreter.exe";
    fs::create_directories(box.files_dir());
    fs::copy_file(harness::bin_dir() / "interpreter_stand_in.exe", interpreter);
    const auto result = box.run(ToolRun{.library = L"keyloom-test.dll",
                                        .args = args,
                                        .env = {{L"COMSPEC", interpreter.wstring()}},
                                        .timeout_ms = 30000});
    ASSERT_FALSE(result.timed_out) << result.console;
    EXPECT_EQ(result.exit_code, 2u);
    EXPECT_FALSE(fs::exists(box.files_dir() / "interpreter.exe.started"))
        << harness::read_file(box.files_dir() / "interpreter.exe.started");
    EXPECT_GE(result.index_of("WindowHidden"), 0);
  }
}

}  // namespace

namespace {

TEST(LogFile, ASecondProcessAppendsBelowTheFirst) {
  Sandbox box;
  const ToolRun help{.library = L"keyloom-test.dll", .args = {L"-help"}, .timeout_ms = 30000};
  const auto first = box.run(help);
  ASSERT_FALSE(first.timed_out);
  const auto second = box.run(help);
  ASSERT_FALSE(second.timed_out);
  ASSERT_EQ(second.log.substr(0, first.log.size()), first.log) << "the first process's lines stay in place";
  const auto messages = second.log_messages();
  ASSERT_EQ(messages.size(), 2 * first.log_messages().size());
  EXPECT_EQ(messages.front().rfind("The tool has been executed", 0), 0u);
  EXPECT_EQ(messages[first.log_messages().size()], messages.front());
}

}  // namespace
