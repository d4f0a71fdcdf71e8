// The console's pause against a console that answers as Windows' does.
#include "app/key_wait.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class FakeConsole : public ConsoleInput {
 public:
  bool hasInput = true;
  std::vector<ConsoleEvent> typed;  // in order; the pending ones are dropped by discardPending
  size_t pending = 0;               // typed before the prompt
  size_t read_ = 0;
  std::vector<std::string> calls;

  bool open() override {
    calls.push_back("open");
    return hasInput;
  }
  void discardPending() override {
    calls.push_back("discard");
    read_ = pending;
  }
  bool read(ConsoleEvent& event) override {
    if (read_ == typed.size()) return false;  // the console went away
    event = typed[read_++];
    calls.push_back("read");
    return true;
  }
};

constexpr ConsoleEvent key(uint16_t vk, bool down = true) { return {true, down, vk}; }
constexpr ConsoleEvent mouse() { return {false, false, 0}; }

TEST(KeyWait, PromptsThenWaitsForOneKeyTypedAfterThePrompt) {
  const struct {
    const char* name;
    bool hasInput;
    std::vector<ConsoleEvent> typed;
    size_t pending;
    size_t reads;  // records read before it went on
  } cases[] = {
      {"one key", true, {key(0x41, true), key(0x41, false)}, 0, 1},
      {"a key typed before the prompt does not count", true, {key(0x0D), key(0x41)}, 1, 1},
      {"releases, the mouse and modifiers alone are not keys",
       true,
       {key(0x41, false), mouse(), key(0x10), key(0x11), key(0x12), key(0x20)},
       0,
       6},
      {"no console input: on at once", false, {key(0x41)}, 0, 0},
      {"a console that goes away ends the wait", true, {mouse()}, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeConsole console;
    console.hasInput = c.hasInput;
    console.typed = c.typed;
    console.pending = c.pending;
    std::string shown;
    waitForOneKey(console, [&](const char* text) {
      shown += text;
      console.calls.push_back("print");
    });
    EXPECT_EQ(shown, "Press any key to continue . . . \n");
    EXPECT_EQ(std::count(console.calls.begin(), console.calls.end(), "read"), static_cast<long>(c.reads));
    if (c.hasInput) {
      EXPECT_EQ(console.calls[1], "discard") << "what was typed before the prompt is dropped first";
      EXPECT_EQ(console.calls[2], "print") << "a key pressed as soon as the prompt shows counts";
    }
  }
}

}  // namespace
