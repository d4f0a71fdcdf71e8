#include "host/module_instance.h"

namespace {
HMODULE stored = nullptr;  // written once by the entry point, before any other thread exists
}

HMODULE module_instance() { return stored ? stored : GetModuleHandleW(nullptr); }
void set_module_instance(HMODULE module) { stored = module; }
