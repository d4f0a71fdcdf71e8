#pragma once

#include <cstdint>

namespace standin {

// Reads a UI archive handed over by the program. The bytes are not copied and must outlive the handle;
// a block that fails validation gives a null handle.
void* open_archive(const uint8_t* data, uint32_t length);
bool archive_item(void* handle, const wchar_t* path, const uint8_t** data, uint32_t* length);
bool close_archive(void* handle);

}  // namespace standin
