#include <windows.h>

#include <string>

#include "console/console_streams.h"
#include "text/encodings.h"

namespace {

bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

void writeBytes(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0) return;
    bytes.remove_prefix(written);
  }
}

// A console is written in UTF-16, whatever its code page; anything else gets UTF-8 bytes.
void writeText(HANDLE handle, std::wstring_view text) {
  if (!handle || handle == INVALID_HANDLE_VALUE) return;
  if (isConsole(handle)) {
    DWORD written = 0;
    WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  writeBytes(handle, text::utf8_from_wide(text));
}

class SystemStreams : public ConsoleStreams {
 public:
  bool errorIsConsole() override { return isConsole(GetStdHandle(STD_ERROR_HANDLE)); }
  unsigned errorWidth() override {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
    const int width = info.srWindow.Right - info.srWindow.Left + 1;
    return width > 0 ? static_cast<unsigned>(width) : 0;
  }
  void writeOutput(std::string_view utf8) override {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    if (isConsole(out)) {
      writeText(out, text::wide_from_utf8(utf8));
    } else {
      writeBytes(out, utf8);
    }
  }
  void writeError(std::wstring_view text) override { writeText(GetStdHandle(STD_ERROR_HANDLE), text); }
};

}  // namespace

ConsoleStreams& systemStreams() {
  static SystemStreams streams;
  return streams;
}
