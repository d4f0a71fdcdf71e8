// Sink for the engine's diagnostic messages that doubles as a text console for the program's own lines.
#pragma once

#include <string>

#include "host/sciter_abi.h"

namespace sciter {

class debug_output {
 public:
  debug_output();  // installs itself as the engine's process-wide sink; must live as long as the engine
  virtual ~debug_output() = default;
  debug_output(const debug_output&) = delete;
  debug_output& operator=(const debug_output&) = delete;

  virtual void output(abi::UINT subsystem, abi::UINT severity, const wchar_t* text, abi::UINT length);
  virtual void print(const char* text);
  virtual void print(const wchar_t* text);

  // printf-style into a buffer of 2048 characters; longer text is cut at that length, never overrun.
  void put_formatted(const char* format, ...);

 private:
  static void SCAPI sink(void* param, abi::UINT subsystem, abi::UINT severity, const wchar_t* text, abi::UINT length);
};

// Writes to a console window that it allocates on first output.
class debug_output_console : public debug_output {
 public:
  void print(const char* text) override;
  void print(const wchar_t* text) override;
};

// What the console shows for 8-bit text: every carriage return becomes a line feed.
std::string console_text(const char* text);

// The prefix words written before an engine message: severity first, then subsystem.
const char* severity_prefix(abi::UINT severity);
const char* subsystem_prefix(abi::UINT subsystem);

}  // namespace sciter
