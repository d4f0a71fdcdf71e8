// The console's pause after an argument error, without a child process. The classic `system("pause")`
// starts %COMSPEC%, which also runs the user's own AutoRun command: in an elevated program any program of
// the same user could have put something there to run with administrator rights. So the prompt is printed
// here and one key is read from the console's own input. The console's answers are behind ConsoleInput
// (the system's in key_wait_win32.cpp).
#pragma once

#include <cstdint>
#include <functional>

// One record of the console's input, as ReadConsoleInputW reports it.
struct ConsoleEvent {
  bool isKey = false;       // a KEY_EVENT; mouse, focus, menu and size events are not keys
  bool keyDown = false;     // pressed, not released
  uint16_t virtualKey = 0;  // VK_*
};

class ConsoleInput {
 public:
  virtual ~ConsoleInput() = default;
  // Opens the console's input; false where there is none: no console, or a program whose standard input
  // was pointed at a pipe or a file by whoever started it (the command interpreter's pause read that and
  // went on at once).
  virtual bool open() = 0;
  // Drops what was typed before the prompt (FlushConsoleInputBuffer).
  virtual void discardPending() = 0;
  // Waits for the next record; false when the console can no longer be read.
  virtual bool read(ConsoleEvent& event) = 0;
};

// The console of this process. Its first call must come before the program opens its console, which may
// replace the standard handles.
ConsoleInput& systemConsoleInput();

inline constexpr const char* kPausePrompt = "Press any key to continue . . . ";

// Empties the console's input, prints the prompt, then waits for one key pressed on the console; a
// modifier alone (Shift, Ctrl, Alt) does not count, as with the command interpreter's pause. Where there is
// no console input it goes on at once. A line break follows either way.
void waitForOneKey(ConsoleInput& input, const std::function<void(const char* text)>& print);
