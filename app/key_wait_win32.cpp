// The console's input for key_wait.h.
#include <windows.h>

#include "app/key_wait.h"

namespace {

// Standard input that whoever started the program pointed at a pipe or a file: the command interpreter's
// pause read it there and found nothing to wait for.
bool startedWithRedirectedInput() {
  const HANDLE given = GetStdHandle(STD_INPUT_HANDLE);
  if (!given || given == INVALID_HANDLE_VALUE) return false;
  const DWORD type = GetFileType(given);
  return type == FILE_TYPE_PIPE || type == FILE_TYPE_DISK;
}

class SystemConsoleInput : public ConsoleInput {
 public:
  // Made before the program opens its console, which may replace the standard handles.
  SystemConsoleInput() : redirected_(startedWithRedirectedInput()) {}

  bool open() override {
    if (redirected_) return false;
    if (input_ != INVALID_HANDLE_VALUE) return true;
    // The console's own input buffer.
    input_ = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
    DWORD mode = 0;
    if (input_ != INVALID_HANDLE_VALUE && GetConsoleMode(input_, &mode)) return true;
    if (input_ != INVALID_HANDLE_VALUE) CloseHandle(input_);
    input_ = INVALID_HANDLE_VALUE;
    return false;
  }

  void discardPending() override { FlushConsoleInputBuffer(input_); }

  bool read(ConsoleEvent& event) override {
    INPUT_RECORD record{};
    DWORD read = 0;
    if (!ReadConsoleInputW(input_, &record, 1, &read) || read == 0) return false;
    event.isKey = record.EventType == KEY_EVENT;
    event.keyDown = event.isKey && record.Event.KeyEvent.bKeyDown;
    event.virtualKey = event.isKey ? record.Event.KeyEvent.wVirtualKeyCode : 0;
    return true;
  }

 private:
  const bool redirected_;
  HANDLE input_ = INVALID_HANDLE_VALUE;
};

}  // namespace

ConsoleInput& systemConsoleInput() {
  static SystemConsoleInput input;
  return input;
}
