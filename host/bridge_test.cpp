// Values crossing between native code and the page, through the stand-in engine.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <system_error>

#include "host/frame.h"
#include "host/native_method.h"
#include "host/page_call.h"
#include "host/test_engine.h"
#include "host/text_conversions.h"

namespace {

using sciter::value;

class Bridge : public testing::Test {
 protected:
  void SetUp() override { test_engine::prepare(); }
};

struct Utf8Case {
  const char* name;
  std::string utf8;
  std::wstring expected;
};

class Utf8ToPage : public Bridge, public testing::WithParamInterface<Utf8Case> {};

TEST_P(Utf8ToPage, BecomesATextValue) {
  const value v = sciter::value_from_utf8(GetParam().utf8);
  EXPECT_EQ(v.type(), sciter::abi::T_STRING);
  EXPECT_EQ(v.units(), 0xFFFFu);
  EXPECT_EQ(v.get_chars(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Utf8ToPage,
                         testing::Values(Utf8Case{"bom_first", "\xEF\xBB\xBFhello", L"hello"},
                                         Utf8Case{"bom_later", "a\xEF\xBB\xBF", L"a\uFEFF"},
                                         Utf8Case{"lone_c3_at_end", "caf\xC3", L"caf?"},
                                         Utf8Case{"stray_continuation",
                                                  "a\x80"
                                                  "bc",
                                                  L"a?bc"},
                                         Utf8Case{"emoji", "\xF0\x9F\x98\x80", L"\xD83D\xDE00"},
                                         Utf8Case{"markup_kept", "1 files<br/>0", L"1 files<br/>0"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Bridge, AnsiConversions) {
  EXPECT_EQ(sciter::value_from_ansi("Demo").get_chars(), L"Demo");
  EXPECT_EQ(sciter::value_from_ansi(nullptr).get_chars(), L"");
  EXPECT_TRUE(sciter::value_from_ansi(nullptr).is_string());
  EXPECT_EQ(sciter::wide_from_ansi(nullptr), L"");
  // Text outside the ANSI code page: characters it cannot hold become its replacement character.
  EXPECT_EQ(sciter::ansi_from_wide(L"a\x4E2D"
                                   L"b"),
            "a?b");
  EXPECT_EQ(sciter::ansi_from_wide(L""), "");
}

TEST_F(Bridge, ErrorValuesCarryUnitsOne) {
  const value error = sciter::make_error_value("it failed");
  EXPECT_TRUE(error.is_error_string());
  EXPECT_EQ(error.get_chars(), L"it failed");
  EXPECT_TRUE(sciter::make_error_value(nullptr).is_undefined());
}

TEST_F(Bridge, ValuesAsText) {
  EXPECT_EQ(sciter::value_to_text(value::from_int(1234)), L"1234");
  EXPECT_EQ(sciter::value_to_text(value::from_bool(true)), L"true");
  EXPECT_EQ(sciter::value_to_text(value::from_wstring(L"C:\\x")), L"C:\\x");
  EXPECT_EQ(sciter::value_to_wstring(value::from_int(5)), L"");
  EXPECT_EQ(sciter::value_to_wstring(value::from_wstring(L"y")), L"y");
}

TEST_F(Bridge, ArraysAndMapsAreTheEnginesOwnAndDeepCopies) {
  const size_t before = test_engine::journal().size();
  value map = value::make_map();
  map.set_item(value::from_wstring(L"id"), value::from_int(7));
  value array = value::make_array();
  EXPECT_EQ(array.length(), 0);
  array.set_item(0, map);
  map.set_item(value::from_wstring(L"id"), value::from_int(8));  // the array holds its own copy
  const value copy = array;
  const std::optional<value> first = copy.get_item(0);
  ASSERT_TRUE(first);
  int32_t id = 0;
  ASSERT_TRUE(first->get_item(value::from_wstring(L"id")).value_or(value()).get_int(id));
  EXPECT_EQ(id, 7);
  const std::optional<value> absent = first->get_item(value::from_wstring(L"absent"));
  ASSERT_TRUE(absent);
  EXPECT_TRUE(absent->is_undefined());
  EXPECT_FALSE(copy.get_item(1)) << "no such element";
  EXPECT_FALSE(value::from_int(3).length()) << "a number has no elements to count";
  EXPECT_TRUE(test_engine::journal_since(before, "ValueRefused").empty()) << "the engine made every container";
}

TEST_F(Bridge, TheWindowIsAnAssetOfTheEnginesObjectModel) {
  sciter::om::hasset<frame> window = frame::create_main();
  sciter::abi::som_asset_t* header = static_cast<sciter::om::asset<sciter::event_handler>*>(window.get());
  void* out = nullptr;
  EXPECT_TRUE(header->isa->asset_get_interface(header, "asset.sciter.com", &out));
  EXPECT_EQ(out, header);
  header->isa->asset_release(header);  // the reference that the answer took
  EXPECT_FALSE(header->isa->asset_get_interface(header, "asset.iasset", nullptr));
}

class PageCalls : public Bridge {
 protected:
  void SetUp() override {
    Bridge::SetUp();
    if (!window_) window_ = new sciter::om::hasset<frame>(frame::create_main());
  }
  static inline sciter::om::hasset<frame>* window_ = nullptr;
};

TEST_F(PageCalls, ResultsComeBackAsPlainData) {
  int32_t n = 0;
  EXPECT_TRUE(sciter::call_page_function(window_->get(), "answerNumber").get_int(n));
  EXPECT_EQ(n, 42);
  // The script's array of objects, which the engine hands over as a script object, is isolated.
  const value options = sciter::call_page_function(window_->get(), "answerOptions");
  EXPECT_EQ(options.type(), sciter::abi::T_ARRAY);
  EXPECT_EQ(options.length(), 2);
  EXPECT_TRUE(options.get_item(1).value_or(value()).is_map());
  EXPECT_TRUE(sciter::call_page_function(window_->get(), "notAnswered").is_undefined());
}

TEST_F(PageCalls, ScriptErrorBecomesRuntimeErrorInAnsi) {
  try {
    sciter::call_page_function(window_->get(), "failing", {value::from_int(1)});
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Permission denied: \xE9t\xE9");  // the ANSI code page's e-acute
  }
}

TEST_F(PageCalls, ArgumentsReachThePage) {
  sciter::call_page_function(window_->get(), "setProgressInfo",
                             {sciter::value_from_utf8("3 files"), value::from_bool(false)});
  const auto journal = test_engine::journal();
  const test_engine::Entry* call = nullptr;
  for (const auto& e : journal)
    if (e.call == "SciterCall" && e.args["name"] == "setProgressInfo") call = &e;
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->args["args"], nlohmann::ordered_json::parse(R"(["3 files", false])"));
}

struct MethodCase {
  const char* name;
  std::function<void()> method;
  bool error;
  std::wstring text;
};

class NativeMethod : public Bridge, public testing::WithParamInterface<MethodCase> {};

TEST_P(NativeMethod, ResultForThePage) {
  const value result = sciter::run_native_method(GetParam().method);
  if (GetParam().error) {
    EXPECT_EQ(result.type(), sciter::abi::T_STRING);
    EXPECT_EQ(result.units(), 1u);
    EXPECT_EQ(result.get_chars(), GetParam().text);
  } else {
    EXPECT_TRUE(result.is_undefined());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, NativeMethod,
    testing::Values(
        MethodCase{"returns", [] {}, false, L""},
        MethodCase{"runtime_error", [] { throw std::runtime_error("no thread"); }, true, L"no thread"},
        MethodCase{
            "system_error",
            [] { throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "start"); },
            true,
            sciter::wide_from_ansi(
                std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "start").what())}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Bridge, OtherExceptionsAreNotTurnedIntoValues) {
  EXPECT_THROW(sciter::run_native_method([] { throw std::logic_error("bug"); }), std::logic_error);
}

}  // namespace
