#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/read_only_removal.h"
#include "engine/test_deletable_file.h"

namespace {

TEST(ReadOnlyRemoval, AReadOnlyFileIsMarkedAllTheSameAndAFileThatStaysIsAsItWas) {
  const struct {
    const char* name;
    bool systemKnowsIgnoreReadOnly;
    uint32_t attributes, refusal;
    uint32_t error;
    bool marked;
    uint32_t attributesAfter;
    std::vector<std::string> calls;
  } cases[] = {
      {"read-only, Windows 10 1809 on", true, 0x21, 0, 0, true, 0x21, {"ex"}},
      {"plain file, an older system", false, 0x20, 0, 0, true, 0x20, {"ex", "plain"}},
      {"read-only, an older system: cleared, then marked",
       false,
       0x21,
       0,
       0,
       true,
       0x20,
       {"ex", "plain", "attributes 32", "plain"}},
      {"read-only and nothing else", false, 0x1, 0, 0, true, 0x80, {"ex", "plain", "attributes 128", "plain"}},
      {"read-only and mapped into a program: put back",
       false,
       0x21,
       5,
       5,
       false,
       0x21,
       {"ex", "plain", "attributes 32", "plain", "attributes 33"}},
      {"refused for another reason", true, 0x20, 1314, 1314, false, 0x20, {"ex"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WindowsDeletableFile file;
    file.systemKnowsIgnoreReadOnly = c.systemKnowsIgnoreReadOnly;
    file.fileAttributes = c.attributes;
    file.refusal = c.refusal;
    EXPECT_EQ(markForDeletionEvenIfReadOnly(file), c.error);
    EXPECT_EQ(file.marked, c.marked);
    EXPECT_EQ(file.fileAttributes, c.attributesAfter);
    EXPECT_EQ(file.calls, c.calls);
  }
}

}  // namespace
