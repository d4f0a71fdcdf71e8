// The page adapter's values against the stand-in engine, which is no kinder than the engine: the option list
// it hands the page, the choices it reads back in every form the engine may answer them, and the start-up
// calls that a script error must not stop.
#include "app/frame_page.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/logger.h"
#include "app/option_choices.h"
#include "host/engine_binding.h"
#include "host/page_call.h"
#include "host/test_engine.h"
#include "host/text_conversions.h"

namespace {

namespace fs = std::filesystem;
using sciter::value;
using standin::json;

// Option lists as the engine hands script values over: arrays and objects as script objects, and a number
// written with a fraction part as a floating value.
constexpr const char* kScenario =
    "answer getOptions [{\"id\":2.0,\"checked\":false},{\"id\":1.0,\"checked\":true},{\"id\":3.0,\"checked\":false}]\n"
    "answer objectOptions [{\"id\":2,\"checked\":false},{\"id\":1,\"checked\":true},{\"id\":3,\"checked\":false}]\n"
    "answer emptyOptions []\n"
    "answer aNumber 7\n"
    "answer aText \"2,1,3\"\n"
    "answer aRecord {\"id\":1,\"checked\":true}\n"
    "answer numbers [1,2]\n"
    "answer withoutId [{\"id\":2,\"checked\":false},{\"checked\":true}]\n"
    "answer fractionId [{\"id\":1.5,\"checked\":true}]\n"
    "answer textId [{\"id\":\"1\",\"checked\":true}]\n"
    "error setRansomwareName TypeError: title is null\n";

using Choices = std::vector<std::pair<uint32_t, bool>>;
Choices choicesOf(const OptionsAnswer& answer) {
  Choices out;
  for (const OptionChoice& c : answer.choices) out.emplace_back(c.id, c.checked);
  return out;
}
const Choices kChosen = {{2, false}, {1, true}, {3, false}};

class FramePageValues : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    test_engine::prepare(kScenario);
    window_ = new sciter::om::hasset<frame>(frame::create_main());
    page_ = new FramePage(*window_);
  }
  static value answerOf(const char* function) { return sciter::call_page_function(window_->get(), function); }
  // The answer as the engine hands it over, before anything isolates it.
  static value rawAnswerOf(const char* function) {
    value result;
    sciter::api().SciterCall((*window_)->handle(), function, 0, nullptr, result.raw());
    return result;
  }
  static inline sciter::om::hasset<frame>* window_ = nullptr;
  static inline FramePage* page_ = nullptr;
};

TEST_F(FramePageValues, AddOptionsHandsThePageAListTheEngineMade) {
  const ToolOption skip{"Skip system folders", nullptr, "Leaves Windows alone.", nullptr, true, 10};
  const ToolOption keep{"Keep dates", nullptr, "Copies the time stamps.", nullptr, false, 11};
  const ToolOption large{"Large files", nullptr, "", nullptr, false, 0x80000000u};
  const struct {
    const char* name;
    std::vector<ToolOption> options;
    json sent;
  } cases[] = {
      {"none", {}, json::array()},
      {"one", {skip}, json::parse(R"([{"id":10,"name":"Skip system folders","description":"Leaves Windows alone.",
                                        "checked_by_default":true}])")},
      {"several", {skip, keep, large}, json::parse(R"([
         {"id":10,"name":"Skip system folders","description":"Leaves Windows alone.","checked_by_default":true},
         {"id":11,"name":"Keep dates","description":"Copies the time stamps.","checked_by_default":false},
         {"id":-2147483648,"name":"Large files","description":"","checked_by_default":false}])")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t before = test_engine::journal().size();
    page_->addOptions(c.options);
    const auto calls = test_engine::journal_since(before, "SciterCall");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args["name"], "addOptions");
    EXPECT_EQ(calls[0].args["args"], json::array({c.sent}));
    EXPECT_TRUE(test_engine::journal_since(before, "ValueRefused").empty()) << "every container is the engine's";
  }
}

TEST_F(FramePageValues, ChoicesReadTheSameAsAPlainArrayAScriptObjectOrWithFloatingIds) {
  value plain = value::make_array();
  for (const auto& [id, checked] : kChosen) {
    value record = value::make_map();
    record.set_item(value::from_wstring(L"id"), value::from_int(static_cast<int32_t>(id)));
    record.set_item(value::from_wstring(L"checked"), value::from_bool(checked));
    plain.set_item(*plain.length(), record);
  }
  const value asObject = rawAnswerOf("objectOptions");
  ASSERT_TRUE(asObject.is_object() && asObject.is_array_like()) << "the engine answers a script object";

  const OptionsAnswer fromPlain = readOptionChoices(plain);
  const OptionsAnswer fromObject = readOptionChoices(asObject);
  const OptionsAnswer fromPage = page_->getOptions();  // floating ids, through the page call
  for (const OptionsAnswer* answer : {&fromPlain, &fromObject, &fromPage}) {
    EXPECT_TRUE(answer->readable()) << answer->unreadable;
    EXPECT_EQ(choicesOf(*answer), kChosen);
  }
  const OptionsAnswer none = readOptionChoices(answerOf("emptyOptions"));
  EXPECT_TRUE(none.readable()) << "an empty list is a list";
  EXPECT_TRUE(none.choices.empty());
}

TEST_F(FramePageValues, AnAnswerThatIsNoListOfChoicesIsUnreadableNeverEmpty) {
  const struct {
    const char* name;
    value answer;
    const char* why;
  } cases[] = {
      {"an error value", sciter::make_error_value("getOptions is not defined"),
       "the page answered the error \"getOptions is not defined\""},
      {"undefined", answerOf("notAnswered"), "the answer is not a list (value type 0)"},
      {"a number", answerOf("aNumber"), "the answer is not a list (value type 3)"},
      {"a text", answerOf("aText"), "the answer is not a list (value type 5)"},
      {"a record", rawAnswerOf("aRecord"), "the answer is not a list (value type 10)"},
      {"a list of numbers", answerOf("numbers"), "element 0 is not a record (value type 3)"},
      {"an element without an id", answerOf("withoutId"), "element 1 has no whole-number id"},
      {"a fractional id", answerOf("fractionId"), "element 0 has no whole-number id"},
      {"an id as text", answerOf("textId"), "element 0 has no whole-number id"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const OptionsAnswer read = readOptionChoices(c.answer);
    EXPECT_FALSE(read.readable());
    EXPECT_EQ(read.unreadable, c.why);
    EXPECT_TRUE(read.choices.empty());
  }
}

TEST_F(FramePageValues, AScriptErrorAtStartUpIsLoggedAndStartUpGoesOn) {
  // The log goes to a folder of this test's own.
  const fs::path folder = fs::temp_directory_path() / ("frame-page-test-" + std::to_string(GetCurrentProcessId()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path log = folder / kLogFileName;
  const std::wstring saved = Logger::instance().folder;
  Logger::instance().folder = folder.wstring();
  const size_t before = test_engine::journal().size();
  EXPECT_NO_THROW(page_->setRansomwareName("Glass"));
  EXPECT_NO_THROW(page_->setToolDescription("About it"));
  Logger::instance().folder = saved;

  const auto calls = test_engine::journal_since(before, "SciterCall");
  ASSERT_EQ(calls.size(), 2u) << "the next call still reaches the page";
  EXPECT_EQ(calls[1].args["name"], "setToolDescription");
  std::ifstream in(log, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("\t[Debug]\t[The page rejected setRansomwareName: TypeError: title is null]"),
            std::string::npos)
      << text.str();
  in.close();
  fs::remove_all(folder);
  // A run's calls still raise the script's error for the run to handle.
  EXPECT_THROW(sciter::call_page_function(window_->get(), "setRansomwareName"), std::runtime_error);
}

}  // namespace
