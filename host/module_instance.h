// The program's module handle, stored by the entry point for the resource loader.
#pragma once

#include <windows.h>

HMODULE module_instance();
void set_module_instance(HMODULE module);
