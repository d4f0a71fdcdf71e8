#include "demo_cipher.h"

#include <algorithm>

namespace demo {
namespace {

uint64_t readLittleEndian(const uint8_t* bytes) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

void writeLittleEndian(uint64_t value, uint8_t* bytes) {
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

bool isValidKey(const Key& key) {
  return std::any_of(key.begin(), key.end(), [](uint8_t b) { return b != 0; });
}

void applyKeystream(const Key& key, uint8_t* data, size_t size) {
  uint64_t s0 = readLittleEndian(key.data());
  uint64_t s1 = readLittleEndian(key.data() + 8);
  uint8_t block[8];
  for (size_t offset = 0; offset < size; offset += 8) {
    writeLittleEndian(s0, block);
    uint64_t t = s0;
    s0 = s1;
    t ^= t << 23;
    t ^= t >> 17;
    t ^= s1 ^ (s1 >> 26);
    s1 = t;
    const size_t n = std::min<size_t>(8, size - offset);
    for (size_t i = 0; i < n; ++i) data[offset + i] ^= block[i];
  }
}

Bytes encrypt(const Key& key, const Bytes& clean) {
  Bytes out(kHeaderSize + clean.size());
  std::copy(kMarker.begin(), kMarker.end(), out.begin());
  writeLittleEndian(clean.size(), out.data() + 8);
  std::copy(clean.begin(), clean.end(), out.begin() + kHeaderSize);
  applyKeystream(key, out.data() + kHeaderSize, clean.size());
  return out;
}

Decoded decrypt(const Key& key, const Bytes& encrypted) {
  Decoded decoded;
  if (encrypted.size() < kHeaderSize || !std::equal(kMarker.begin(), kMarker.end(), encrypted.begin())) {
    decoded.damage = Damage::NoMarker;
    return decoded;
  }
  if (readLittleEndian(encrypted.data() + 8) != encrypted.size() - kHeaderSize) {
    decoded.damage = Damage::WrongSize;
    return decoded;
  }
  decoded.clean.assign(encrypted.begin() + kHeaderSize, encrypted.end());
  applyKeystream(key, decoded.clean.data(), decoded.clean.size());
  return decoded;
}

std::optional<Key> recoverKey(const Bytes& clean, const Bytes& encrypted) {
  if (clean.size() < 16 || encrypted.size() != kHeaderSize + clean.size()) return std::nullopt;
  Key key;
  for (size_t i = 0; i < key.size(); ++i) key[i] = clean[i] ^ encrypted[kHeaderSize + i];
  if (!isValidKey(key)) return std::nullopt;
  const Decoded decoded = decrypt(key, encrypted);
  if (decoded.damage != Damage::None || decoded.clean != clean) return std::nullopt;
  return key;
}

}  // namespace demo
