#include "demo_cipher.h"

#include <algorithm>
#include <bit>
#include <cstring>

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

// One step of the generator: the next eight keystream bytes (s0, little-endian), and the state moved on.
inline uint64_t advance(uint64_t& s0, uint64_t& s1) {
  const uint64_t out = s0;
  uint64_t t = s0;
  s0 = s1;
  t ^= t << 23;
  t ^= t >> 17;
  t ^= s1 ^ (s1 >> 26);
  s1 = t;
  return out;
}

}  // namespace

bool isValidKey(const Key& key) {
  return std::any_of(key.begin(), key.end(), [](uint8_t b) { return b != 0; });
}

Keystream::Keystream(const Key& key) : s0_(readLittleEndian(key.data())), s1_(readLittleEndian(key.data() + 8)) {}

uint64_t Keystream::next() { return advance(s0_, s1_); }

void Keystream::apply(uint8_t* data, size_t size) {
  static_assert(std::endian::native == std::endian::little, "whole words are XORed as little-endian");
  while (size > 0 && used_ < 8) {  // the rest of a block a chunk ended in
    *data++ ^= block_[used_++];
    --size;
  }
  // The state in locals: the bytes written could alias the members, which would keep them in memory.
  uint64_t s0 = s0_, s1 = s1_;
  for (; size >= 8; data += 8, size -= 8) {
    uint64_t word;
    std::memcpy(&word, data, 8);
    word ^= advance(s0, s1);
    std::memcpy(data, &word, 8);
  }
  s0_ = s0;
  s1_ = s1;
  if (size > 0) {
    writeLittleEndian(next(), block_);
    used_ = 0;
    while (size-- > 0) *data++ ^= block_[used_++];
  }
}

void applyKeystream(const Key& key, uint8_t* data, size_t size) { Keystream(key).apply(data, size); }

std::optional<uint64_t> statedSize(const uint8_t* header, size_t size) {
  if (size < kHeaderSize || !std::equal(kMarker.begin(), kMarker.end(), header)) return std::nullopt;
  return readLittleEndian(header + 8);
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
  const std::optional<uint64_t> size = statedSize(encrypted.data(), encrypted.size());
  if (!size) {
    decoded.damage = Damage::NoMarker;
    return decoded;
  }
  if (*size != encrypted.size() - kHeaderSize) {
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
