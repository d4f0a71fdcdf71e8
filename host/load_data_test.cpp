// The window answers the engine's requests for document data, as the stand-in engine receives them.
#include <gtest/gtest.h>

#include <string>

#include "archive/archive_writer.h"
#include "host/app_archive.h"
#include "host/engine_binding.h"
#include "host/frame.h"
#include "host/test_engine.h"
#include "standins/ui-engine/journal_lines.h"

namespace {

const std::string kMainPage = "<html><body>main page</body></html>";
const std::string kItemX = "item x";

std::string resource_bytes(const wchar_t* name, const wchar_t* type) {
  HRSRC found = FindResourceW(nullptr, name, type);
  if (!found) return {};
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  return std::string(bytes, SizeofResource(nullptr, found));
}

struct Case {
  const char* name;
  std::wstring url;
  unsigned answer;
  std::string data;  // what the engine must have received; empty: no data
};

class LoadData : public testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() {
    test_engine::prepare();
    static const std::vector<uint8_t> archive = uiarchive::pack_archive(
        {{"html/main.html", {kMainPage.begin(), kMainPage.end()}}, {"x", {kItemX.begin(), kItemX.end()}}});
    app_archive::open(archive);
    window_ = new sciter::om::hasset<frame>(frame::create_main());
    ASSERT_NE((*window_)->handle(), nullptr);
    (*window_)->load_file(L"this://app/html/main.html");  // installs the host callback
  }
  static inline sciter::om::hasset<frame>* window_ = nullptr;
};

TEST_P(LoadData, AnswersAndSuppliesData) {
  const Case& c = GetParam();
  sciter::api().SciterLoadFile((*window_)->handle(), c.url.c_str());
  const auto journal = test_engine::journal();
  const test_engine::Entry* answered = nullptr;
  for (const auto& e : journal)
    if (e.call == "LoadDataAnswered") answered = &e;
  ASSERT_NE(answered, nullptr);
  EXPECT_EQ(answered->args["answer"], c.answer);
  if (c.data.empty()) {
    EXPECT_EQ(answered->args["bytes"], nullptr);
  } else {
    EXPECT_EQ(answered->args["bytes"], c.data.size());
    EXPECT_EQ(answered->args["digest"], standin::journal_digest(c.data));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoadData,
    testing::Values(
        Case{"main_page", L"this://app/html/main.html", 0, kMainPage},
        Case{"extra_slashes", L"this://app///x", 0, kItemX},
        Case{"not_in_archive", L"this://app/html/MAIN.html", 1, ""},
        Case{"res_res", L"res:res:page.htm", 0, resource_bytes(L"page", MAKEINTRESOURCEW(23))},
        Case{"res_page", L"res:page.htm", 0, resource_bytes(L"page", MAKEINTRESOURCEW(23))},
        Case{"res_png", L"res:logo.png", 0, resource_bytes(L"logo", L"PNG")},
        Case{"missing_resource", L"res:nothing.htm", 1, ""}, Case{"bare_res", L"res:", 1, ""},
        Case{"name_too_long", L"res:" + std::wstring(300, L'n') + L".htm", 1, ""},
        // The engine's own schemes it loads itself; nothing else may reach the page.
        Case{"engine_resource", L"sciter:msgbox.css", 0, ""}, Case{"engine_vector_path", L"path: M 0 0 L 1 1 Z", 0, ""},
        Case{"https", L"https://www.example.com/page.html", 1, ""},
        Case{"http", L"http://www.example.com/script.js", 1, ""}, Case{"file", L"file:///C:/page.html", 1, ""},
        Case{"data", L"data:text/html,<script>alert(1)</script>", 1, ""}, Case{"home", L"home://config.json", 1, ""},
        Case{"scheme_case_is_not_folded", L"SCITER:msgbox.css", 1, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadDataResources, TestResourcesAreBuiltIn) {
  EXPECT_FALSE(resource_bytes(L"page", MAKEINTRESOURCEW(23)).empty());
  EXPECT_FALSE(resource_bytes(L"logo", L"PNG").empty());
}

TEST(AppArchive, ReopeningClosesTheHeldHandleFirst) {
  test_engine::prepare();
  static const std::vector<uint8_t> a = uiarchive::pack_archive({{"a", {'1'}}});
  static const std::vector<uint8_t> b = uiarchive::pack_archive({{"b", {'2'}}});
  app_archive::open(a);
  void* first = app_archive::handle();
  app_archive::open(b);
  // The last archive calls: the first handle is closed, then the second block is opened.
  std::vector<test_engine::Entry> archive_calls;
  for (const auto& e : test_engine::journal())
    if (e.call == "SciterOpenArchive" || e.call == "SciterCloseArchive") archive_calls.push_back(e);
  ASSERT_GE(archive_calls.size(), 3u);
  const auto n = archive_calls.size();
  EXPECT_EQ(archive_calls[n - 3].call, "SciterOpenArchive");
  EXPECT_EQ(archive_calls[n - 2].call, "SciterCloseArchive");
  EXPECT_EQ(archive_calls[n - 2].args["handle"], reinterpret_cast<uintptr_t>(first));
  EXPECT_EQ(archive_calls[n - 1].call, "SciterOpenArchive");
  EXPECT_EQ(archive_calls[n - 1].args["length"], b.size());
  EXPECT_NE(app_archive::handle(), nullptr);
}

}  // namespace
