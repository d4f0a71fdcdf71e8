#pragma once

#include "host/sciter_abi.h"

namespace standin {

void set_debug_sink(void* param, sciter::abi::DEBUG_OUTPUT_PROC proc);

}  // namespace standin
