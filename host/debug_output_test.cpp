// Engine diagnostics and the program's own console lines.
#include "host/debug_output.h"

#include <gtest/gtest.h>

#include <vector>

#include "archive/archive_writer.h"
#include "host/app_archive.h"
#include "host/frame.h"
#include "host/test_engine.h"

namespace {

// Records what would reach the debugger or the console.
class Capture : public sciter::debug_output {
 public:
  void print(const char* text) override { printed += text ? text : "<null>"; }
  void print(const wchar_t* text) override {
    for (const wchar_t* p = text; p && *p; ++p) printed += *p < 128 ? static_cast<char>(*p) : '?';
  }
  std::string printed;
};

struct MessageCase {
  const char* name;
  unsigned subsystem, severity;
  std::wstring text;
  std::string expected;
};

class EngineMessage : public testing::TestWithParam<MessageCase> {
 protected:
  void SetUp() override { test_engine::prepare(); }
};

TEST_P(EngineMessage, PrefixesThenText) {
  Capture capture;
  const auto& c = GetParam();
  capture.output(c.subsystem, c.severity, c.text.c_str(), static_cast<unsigned>(c.text.size()));
  EXPECT_EQ(capture.printed, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, EngineMessage,
                         testing::Values(MessageCase{"warning_script", 3, 1, L"bad call\n",
                                                     "warning:script: bad call\n"},
                                         MessageCase{"info_dom", 0, 0, L"x", "info:DOM: x"},
                                         MessageCase{"error_css", 2, 2, L"y", "error:css: y"},
                                         MessageCase{"csss", 1, 0, L"z", "info:csss!: z"},
                                         MessageCase{"unknown_severity", 0, 5, L"t", "DOM: t"},
                                         MessageCase{"unknown_both", 9, 9, L"t", "t"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EngineMessageText, DroppedWhenNotEndingWhereTheLengthSays) {
  test_engine::prepare();
  Capture capture;
  const wchar_t text[] = L"abcdef";
  capture.output(3, 2, text, 3);  // text[3] is 'd', not the end
  EXPECT_EQ(capture.printed, "error:script: ");
}

TEST(ConsoleText, CarriageReturnsBecomeLineFeeds) {
  EXPECT_EQ(sciter::console_text("a\r\nb"), "a\n\nb");
  EXPECT_EQ(sciter::console_text(nullptr), "");
}

TEST(PutFormatted, FormatsAndCutsOverlongText) {
  test_engine::prepare();
  Capture capture;
  capture.put_formatted("Check %%temp%%\\%s!\n", "OstrivelLog.txt");
  EXPECT_EQ(capture.printed, "Check %temp%\\OstrivelLog.txt!\n");

  Capture long_capture;
  const std::string huge(5000, 'x');
  long_capture.put_formatted("%s", huge.c_str());
  EXPECT_EQ(long_capture.printed, std::string(2048, 'x'));
}

TEST(DebugSink, EngineMessagesReachTheInstalledSink) {
  test_engine::prepare();
  static auto* capture = new Capture();  // installed for the rest of the process, as in the program
  static const std::string page = "<html></html>";
  static const std::vector<uint8_t> archive = uiarchive::pack_archive({{"html/main.html", {page.begin(), page.end()}}});
  app_archive::open(archive);
  static auto* window = new sciter::om::hasset<frame>(frame::create_main());
  (*window)->load_file(L"this://app/html/main.html");  // the page double reports a message after loading
  test_engine::pump_messages(300);
  EXPECT_NE(capture->printed.find("warning:script: careful\r\nnow"), std::string::npos) << capture->printed;
}

}  // namespace
