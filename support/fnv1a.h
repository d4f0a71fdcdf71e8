// FNV-1a, 64 bits: a cheap fingerprint of some bytes, to tell whether content changed or arrived intact
// without keeping the bytes. Not a protection against anyone who wants a collision.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace support {

uint64_t fnv1a64(std::string_view bytes);

// The same as 16 lower-case hexadecimal digits, as text files and journals carry it.
std::string fnv1a64_hex(std::string_view bytes);

}  // namespace support
