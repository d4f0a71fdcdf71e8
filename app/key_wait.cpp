#include "app/key_wait.h"

namespace {

constexpr uint16_t kShift = 0x10, kControl = 0x11, kAlt = 0x12;  // VK_SHIFT, VK_CONTROL, VK_MENU

bool isAKey(const ConsoleEvent& event) {
  return event.isKey && event.keyDown && event.virtualKey != kShift && event.virtualKey != kControl &&
         event.virtualKey != kAlt;
}

}  // namespace

void waitForOneKey(ConsoleInput& input, const std::function<void(const char* text)>& print) {
  // Emptied before the prompt shows, so that a key pressed as soon as it shows counts.
  const bool hasInput = input.open();
  if (hasInput) input.discardPending();
  print(kPausePrompt);
  if (hasInput) {
    ConsoleEvent event;
    while (input.read(event) && !isAKey(event)) {
    }
  }
  print("\n");
}
