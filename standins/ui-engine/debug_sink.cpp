// The process-wide sink for engine diagnostics that the program installs.
#include "standins/ui-engine/debug_sink.h"

#include <atomic>

#include "standins/ui-engine/engine_actions.h"
#include "standins/ui-engine/journal.h"

namespace standin {
namespace {
struct Sink {
  void* param = nullptr;
  sciter::abi::DEBUG_OUTPUT_PROC proc = nullptr;
};
Sink sink;  // installed and used on the window's thread
}  // namespace

void set_debug_sink(void* param, sciter::abi::DEBUG_OUTPUT_PROC proc) { sink = Sink{param, proc}; }

void emit_engine_message(unsigned subsystem, unsigned severity, const std::wstring& text) {
  journal("EngineMessage", {{"subsystem", subsystem}, {"severity", severity}, {"text", utf8_from_wide(text)}});
  if (sink.proc) sink.proc(sink.param, subsystem, severity, text.c_str(), static_cast<UINT>(text.size()));
}

}  // namespace standin
