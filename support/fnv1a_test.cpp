#include "support/fnv1a.h"

#include <gtest/gtest.h>

namespace {

TEST(Fnv1a64, GivesThePublishedValuesAndTreatsBytesAsUnsigned) {
  const struct {
    std::string bytes;
    uint64_t hash;
    const char* hex;
  } cases[] = {
      {"", 0xcbf29ce484222325ull, "cbf29ce484222325"},  // the offset basis
      {"a", 0xaf63dc4c8601ec8cull, "af63dc4c8601ec8c"},
      {"foobar", 0x85944171f73967e8ull, "85944171f73967e8"},
      {std::string(1, '\0'), 0xaf63bd4c8601b7dfull, "af63bd4c8601b7df"},
      {"\xff", 0xaf64724c8602eb6eull, "af64724c8602eb6e"},               // a char is signed here: must count as 255
      {"\xC3\xA9t\xC3\xA9", 0x009a8f0e88b51857ull, "009a8f0e88b51857"},  // leading zeros kept in the text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hex);
    EXPECT_EQ(support::fnv1a64(c.bytes), c.hash);
    EXPECT_EQ(support::fnv1a64_hex(c.bytes), c.hex);
  }
}

}  // namespace
