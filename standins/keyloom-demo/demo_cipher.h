// The DemoVault format (FORMAT.md): header, keystream and key recovery, on byte buffers only.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace demo {

using Key = std::array<uint8_t, 16>;
using Bytes = std::vector<uint8_t>;

inline constexpr std::string_view kMarker = "DEMOVLT1";
inline constexpr std::string_view kExtension = ".kyl";
inline constexpr size_t kHeaderSize = 16;

// XORs the keystream of the key into the data, in place; the same call encrypts and decrypts.
void applyKeystream(const Key& key, uint8_t* data, size_t size);

Bytes encrypt(const Key& key, const Bytes& clean);

enum class Damage { None, NoMarker, WrongSize };
struct Decoded {
  Damage damage = Damage::None;
  Bytes clean;
};
Decoded decrypt(const Key& key, const Bytes& encrypted);

// The key of a clean/encrypted pair; empty when the pair does not fit (too short, another size, or
// the recovered key does not decrypt the whole pair to the clean file).
std::optional<Key> recoverKey(const Bytes& clean, const Bytes& encrypted);

bool isValidKey(const Key& key);

}  // namespace demo
