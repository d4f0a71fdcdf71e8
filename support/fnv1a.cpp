#include "support/fnv1a.h"

namespace support {

uint64_t fnv1a64(std::string_view bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;  // the offset basis
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;  // the 64-bit FNV prime
  }
  return hash;
}

std::string fnv1a64_hex(std::string_view bytes) {
  uint64_t hash = fnv1a64(bytes);
  std::string text(16, '0');
  for (size_t i = text.size(); i-- > 0; hash >>= 4) text[i] = "0123456789abcdef"[hash & 0xF];
  return text;
}

}  // namespace support
