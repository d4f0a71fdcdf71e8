// The page and the program meeting through the window: the page double starts the run with
// frame.DecryptWrapper(), the run reads its settings back from the page and reports the outcome there.
#include <gtest/gtest.h>

#include "tests/process/run_helpers.h"

namespace {

using harness::Sandbox;
using harness::ToolRun;
using namespace run_helpers;

TEST(WindowBridge, ThePageStartsTheRunAndSeesItsOutcome) {
  Sandbox box;
  const fs::path victim = box.files_dir() / "victim";
  const fs::path pairs = box.files_dir() / "pairs";
  make_files(victim, {"a.txt", "sub/b.txt"});
  ASSERT_EQ(harness::run_program(L"demo_encrypt.exe", {victim.wstring(), pairs.wstring()}, box.files_dir()), 0u);

  // The user accepts nothing but the start; the page answers with the settings it holds.
  const std::string scenario =
      "answer getEncryptedPath " + json_text(victim.string()) + "\n" + "answer getTestPath " +
      json_text(pairs.string()) + "\n" +
      R"(answer getOptions [{"id":2,"checked":false},{"id":1,"checked":false},{"id":3,"checked":false},{"id":10,"checked":true}])"
      "\n"
      R"(on load native DecryptWrapper [1, "ignored"])"
      "\n" +
      kCloseAtFinalStep;
  const auto result = box.run(ToolRun{.library = L"keyloom-demo.dll", .scenario = scenario});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u);

  // Arguments are ignored; the page receives an undefined result; exactly one run starts.
  const auto received = result.calls("PageReceived");
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].args["method"], "DecryptWrapper");
  EXPECT_EQ(received[0].args["result"], json({{"undefined", true}}));

  // The run thread reads the paths and options back, in this order, after the page asked for the run.
  const auto calls = result.page_calls();
  const auto at = [&calls](const std::string& name) {
    return std::find(calls.begin(), calls.end(), name) - calls.begin();
  };
  EXPECT_LT(at("getEncryptedPath"), at("getTestPath"));
  EXPECT_LT(at("getTestPath"), at("getOptions"));
  EXPECT_LT(at("getOptions"), at("showFinalStep"));
  EXPECT_GT(result.index_of("SciterCall", "getEncryptedPath"), result.index_of("PageCallsNative"));

  // The outcome on the page, in order, and the final step.
  std::vector<std::string> tail(calls.end() - 4, calls.end());
  EXPECT_EQ(tail,
            (std::vector<std::string>{"appendProgressInfo", "appendProgressInfo", "setFinalMessage", "showFinalStep"}));
  EXPECT_EQ(page_args(result, "setFinalMessage"), std::vector<json>{json::array({"The threat is gone!"})});
  EXPECT_EQ(page_args(result, "showFinalStep"), std::vector<json>{json::array({true})});

  // The folder is decrypted and, without Backup, the encrypted files are gone.
  EXPECT_EQ(harness::read_file(victim / "a.txt"), "content of a.txt");
  EXPECT_EQ(harness::read_file(victim / "sub" / "b.txt"), "content of sub/b.txt");
  EXPECT_FALSE(fs::exists(victim / "a.txt.kyl"));
  EXPECT_FALSE(fs::exists(victim / "sub" / "b.txt.kyl"));
}

// A link the page asks native code to open arrives with its text; what it may not open it leaves alone and
// says so. (Allowed links would reach the desktop's shell, which under Wine starts programs of the host:
// those are tested in-process.)
TEST(WindowBridge, ALinkReachesTheNativeMethodWithItsTarget) {
  Sandbox box;
  const std::string scenario =
      "on load native OpenLink [\"file:///C:/windows/win.ini\"]\n"
      "on load native OpenLink [\"http://www.ostrivel.example/\"]\n"
      "on load native OpenLink []\n"
      "on load delay 500 close\n";
  const auto result = box.run(ToolRun{.library = L"keyloom-test.dll", .scenario = scenario});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_code, 0u);
  const auto received = result.calls("PageReceived");
  ASSERT_EQ(received.size(), 3u);
  for (const auto& answer : received) {
    EXPECT_EQ(answer.args["method"], "OpenLink");
    EXPECT_EQ(answer.args["result"], json({{"undefined", true}}));
  }
  const auto messages = result.log_messages(true);
  const std::string refused = "was not opened: only web pages (https:) and the log file are opened.";
  EXPECT_EQ(messages, (std::vector<std::string>{"Debug: The link \"file:///C:/windows/win.ini\" " + refused,
                                                "Debug: The link \"http://www.ostrivel.example/\" " + refused,
                                                "Debug: The link \"\" " + refused}))
      << result.log;
}

}  // namespace
