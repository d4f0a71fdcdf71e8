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

// The keystream of one file's body, applied chunk after chunk: chunks of any size give the same bytes as one
// call over the whole body. XORs eight bytes at a time, so that restoring runs at about the speed of copying.
class Keystream {
 public:
  explicit Keystream(const Key& key);
  // XORs the next `size` keystream bytes into the data, in place; the same call encrypts and decrypts.
  void apply(uint8_t* data, size_t size);

 private:
  uint64_t next();  // the next eight keystream bytes, little-endian
  uint64_t s0_, s1_;
  uint8_t block_[8] = {};
  size_t used_ = 8;  // bytes of block_ already applied
};

// XORs the keystream of the key into the data, in place; the same call encrypts and decrypts.
void applyKeystream(const Key& key, uint8_t* data, size_t size);

// The original size a header states, when the bytes begin with one (the marker and the size); nothing for
// bytes that are not the family's.
std::optional<uint64_t> statedSize(const uint8_t* header, size_t size);

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
