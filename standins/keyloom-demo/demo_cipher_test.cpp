#include <gtest/gtest.h>

#include <algorithm>

#include "demo_cipher.h"

namespace {

const demo::Key kKey = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef, 0x10, 0x32, 0x54, 0x76, 0x98, 0xba, 0xdc, 0xfe};

demo::Bytes pattern(size_t size) {
  demo::Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  return bytes;
}

TEST(DemoCipher, RoundTripsEverySizeAroundTheBlockEdges) {
  for (size_t size : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 1000u}) {
    const demo::Bytes clean = pattern(size);
    const demo::Bytes encrypted = demo::encrypt(kKey, clean);
    ASSERT_EQ(encrypted.size(), demo::kHeaderSize + size);
    EXPECT_EQ(std::string(encrypted.begin(), encrypted.begin() + 8), demo::kMarker);
    if (size >= 16) {
      EXPECT_NE(demo::Bytes(encrypted.begin() + 16, encrypted.end()), clean) << size;
    }
    const demo::Decoded decoded = demo::decrypt(kKey, encrypted);
    EXPECT_EQ(decoded.damage, demo::Damage::None) << size;
    EXPECT_EQ(decoded.clean, clean) << size;
  }
}

TEST(DemoCipher, KeystreamBeginsWithTheKeyAndThenDiffers) {
  demo::Bytes stream(32, 0);
  demo::applyKeystream(kKey, stream.data(), stream.size());
  EXPECT_EQ(demo::Bytes(stream.begin(), stream.begin() + 16), demo::Bytes(kKey.begin(), kKey.end()));
  EXPECT_NE(demo::Bytes(stream.begin() + 16, stream.end()), demo::Bytes(kKey.begin(), kKey.end()));
}

TEST(DemoCipher, TheKeystreamInChunksOfAnySizeIsTheKeystreamOfTheWhole) {
  const demo::Bytes clean = pattern(1000);
  demo::Bytes whole = clean;
  demo::applyKeystream(kKey, whole.data(), whole.size());
  for (size_t chunk : {1u, 3u, 8u, 13u, 64u, 999u}) {
    demo::Bytes chunked = clean;
    demo::Keystream stream(kKey);
    for (size_t at = 0; at < chunked.size(); at += chunk)
      stream.apply(chunked.data() + at, std::min(chunk, chunked.size() - at));
    EXPECT_EQ(chunked, whole) << "chunks of " << chunk;
  }
}

TEST(DemoCipher, DamagedFilesAreRecognised) {
  const demo::Bytes good = demo::encrypt(kKey, pattern(40));
  demo::Bytes noMarker = good;
  noMarker[0] = 'X';
  demo::Bytes truncated = good;
  truncated.pop_back();
  const struct {
    const char* name;
    demo::Bytes file;
    demo::Damage expected;
  } cases[] = {
      {"marker changed", noMarker, demo::Damage::NoMarker},
      {"shorter than a header", demo::Bytes(good.begin(), good.begin() + 10), demo::Damage::NoMarker},
      {"body cut short", truncated, demo::Damage::WrongSize},
      {"intact", good, demo::Damage::None},
  };
  for (const auto& c : cases) EXPECT_EQ(demo::decrypt(kKey, c.file).damage, c.expected) << c.name;
}

TEST(DemoCipher, KeyIsRecoveredOnlyFromAFittingPair) {
  const demo::Bytes clean = pattern(64);
  const demo::Bytes encrypted = demo::encrypt(kKey, clean);
  const auto key = demo::recoverKey(clean, encrypted);
  ASSERT_TRUE(key.has_value());
  EXPECT_EQ(*key, kKey);

  demo::Bytes otherClean = clean;
  otherClean[40] ^= 1;
  const demo::Bytes shortClean = pattern(15);
  const struct {
    const char* name;
    demo::Bytes clean, encrypted;
  } misfits[] = {
      {"clean file differs after the key bytes", otherClean, encrypted},
      {"clean file too short", shortClean, demo::encrypt(kKey, shortClean)},
      {"sizes differ", pattern(63), encrypted},
  };
  for (const auto& c : misfits) EXPECT_FALSE(demo::recoverKey(c.clean, c.encrypted).has_value()) << c.name;
}

}  // namespace
