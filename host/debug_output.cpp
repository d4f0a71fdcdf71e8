#include "host/debug_output.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "host/engine_binding.h"
#include "text/encodings.h"

namespace sciter {
namespace {
bool console_allocated = false;  // the console is only written from the UI thread
}

std::string console_text(const char* text) {
  std::string out = text ? text : "";
  for (char& c : out)
    if (c == '\r') c = '\n';
  return out;
}

const char* severity_prefix(abi::UINT severity) {
  switch (severity) {
    case abi::OS_INFO:
      return "info:";
    case abi::OS_WARNING:
      return "warning:";
    case abi::OS_ERROR:
      return "error:";
    default:
      return nullptr;
  }
}

const char* subsystem_prefix(abi::UINT subsystem) {
  switch (subsystem) {
    case abi::OT_DOM:
      return "DOM: ";
    case abi::OT_CSSS:
      return "csss!: ";
    case abi::OT_CSS:
      return "css: ";
    case abi::OT_TIS:
      return "script: ";
    default:
      return nullptr;
  }
}

debug_output::debug_output() { api().SciterSetupDebugOutput(nullptr, this, &debug_output::sink); }

void SCAPI debug_output::sink(void* param, abi::UINT subsystem, abi::UINT severity, const wchar_t* text,
                              abi::UINT length) {
  if (auto* self = static_cast<debug_output*>(param)) self->output(subsystem, severity, text, length);
}

void debug_output::output(abi::UINT subsystem, abi::UINT severity, const wchar_t* text, abi::UINT length) {
  if (const char* prefix = severity_prefix(severity)) print(prefix);
  if (const char* prefix = subsystem_prefix(subsystem)) print(prefix);
  // Only a text that ends where the engine says it does is trusted to be zero-terminated.
  if (text && text[length] == 0) print(text);
}

void debug_output::print(const char* text) {
  if (text) OutputDebugStringA(text);
}

void debug_output::print(const wchar_t* text) {
  if (text) OutputDebugStringW(text);
}

void debug_output::put_formatted(const char* format, ...) {
  char buffer[2048 + 1];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return;  // a formatting error prints nothing rather than garbage
  print(buffer);      // vsnprintf always terminates; longer text is cut at the buffer's end
}

void debug_output_console::print(const char* text) {
  if (!console_allocated) {
    AllocConsole();
    std::freopen("conin$", "r", stdin);
    std::freopen("conout$", "w", stdout);
    std::freopen("conout$", "w", stderr);
    console_allocated = true;
  }
  if (!text) return;
  const std::string shown = console_text(text);
  std::fwrite(shown.data(), 1, shown.size(), stdout);
  std::fflush(stdout);
}

void debug_output_console::print(const wchar_t* text) {
  if (!text) {
    print(static_cast<const char*>(nullptr));
    return;
  }
  print(text::oem_from_wide(text).c_str());
}

}  // namespace sciter
