#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "test_config.h"

namespace keyloom_test {
namespace {

TEST(TestLibraryConfig, PatternsMatchWholeNames) {
  const struct {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"*", "anything.txt", true},
      {"*.kyl", "a.kyl", true},
      {"*.kyl", "a.kyl.bak", false},
      {"fail-*", "fail-1.bin", true},
      {"fail-*", "nofail-1", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"*b*", "abc", true},
      {"A*", "abc", false},
      {"exact.txt", "exact.txt", true},
      {"exact.txt", "exact.txt2", false},
      {"", "", true},
  };
  for (const auto& c : cases) EXPECT_EQ(matchesPattern(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
}

TEST(TestLibraryConfig, ReadsEveryKey) {
  const Config config = parseConfig(
      "# comment\r\n"
      "name=Family X\n"
      "flags=scan,backup\n"
      "option=10,1,Own option,Its description, with a comma\n"
      "init=fail:Key missing\n"
      "initLog=7,odd level\n"
      "initDelay=1500\n"
      "result=*.enc,1\nresult=bad*,3\n"
      "delay=slow*,250\n"
      "throw=boom*\n"
      "record=C:\\rec.txt\n");
  EXPECT_EQ(config.name, "Family X");
  EXPECT_TRUE(config.scanPath && config.backup);
  EXPECT_FALSE(config.testPath || config.overwrite || config.wholeScan);
  ASSERT_EQ(config.options.size(), 1u);
  EXPECT_EQ(config.options[0].id, 10u);
  EXPECT_TRUE(config.options[0].checked);
  EXPECT_EQ(config.options[0].name, "Own option");
  EXPECT_EQ(config.options[0].description, "Its description, with a comma");
  EXPECT_FALSE(config.initSucceeds);
  EXPECT_EQ(config.initError, "Key missing");
  ASSERT_EQ(config.initLog.size(), 1u);
  EXPECT_EQ(config.initLog[0].level, 7);
  EXPECT_EQ(config.initDelay, 1500);
  EXPECT_EQ(firstMatch(config.results, "x.enc", 0), 1);
  EXPECT_EQ(firstMatch(config.results, "bad.enc", 0), 1);  // the first matching rule wins
  EXPECT_EQ(firstMatch(config.results, "bad.txt", 0), 3);
  EXPECT_EQ(firstMatch(config.results, "other", 0), 0);
  EXPECT_EQ(firstMatch(config.delays, "slow.txt", 0), 250);
  ASSERT_EQ(config.throwing.size(), 1u);
  EXPECT_EQ(config.recordPath, "C:\\rec.txt");
}

TEST(TestLibraryConfig, DefaultsAndFailureWithoutText) {
  const Config defaults = parseConfig("");
  EXPECT_TRUE(defaults.initSucceeds && defaults.scanPath && defaults.testPath && defaults.wholeScan);
  const Config failing = parseConfig("init=fail\nflags=\n");
  EXPECT_FALSE(failing.initSucceeds);
  EXPECT_TRUE(failing.initError.empty());
  EXPECT_FALSE(failing.scanPath || failing.testPath || failing.backup || failing.overwrite || failing.wholeScan);
}

TEST(TestLibraryConfig, ReadsTheMisbehaviours) {
  const Config config = parseConfig(
      "alter=doc.enc,copy\nalter=doc.enc,delete\nalter=*.txt,overwrite\nalter=x,shred\n"
      "useInitParams=notes.txt\n"
      "askFilesystem=*.enc\n"
      "finishLog=50,late, with a comma\n"
      "appendTo=\\\\?\\unix\\/a/b.exe\nappendTo=C:\\c.txt\n");
  ASSERT_EQ(config.alterations.size(), 3u) << "an unknown action is ignored";
  EXPECT_EQ(config.alterations[0].pattern, "doc.enc");
  EXPECT_EQ(config.alterations[0].action, AlterRule::Copy);
  EXPECT_EQ(config.alterations[1].action, AlterRule::Delete);
  EXPECT_EQ(config.alterations[2].pattern, "*.txt");
  EXPECT_EQ(config.alterations[2].action, AlterRule::Overwrite);
  EXPECT_EQ(config.staleParams, std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(config.askFilesystem, std::vector<std::string>{"*.enc"});
  EXPECT_EQ(config.finishLogDelay, 50);
  EXPECT_EQ(config.finishLog, "late, with a comma");
  EXPECT_EQ(parseConfig("").finishLogDelay, -1) << "by default Finish leaves nothing behind";
  EXPECT_EQ(config.appendTo, (std::vector<std::string>{"\\\\?\\unix\\/a/b.exe", "C:\\c.txt"}));
}

// The configuration appended to a library file: found only where the file ends with the marker line, and
// only with a length that fits.
TEST(TestLibraryConfig, FindsTheConfigurationAppendedToTheFile) {
  // The library's own code holds the marker too, but never at the file's end.
  const char bytes[] = "MZ\0\x90 image \0\n#keyloom-test-config 3\n more of the image";
  const std::string image(bytes, sizeof bytes - 1);
  const struct {
    std::string file;
    std::optional<std::string> config;
  } cases[] = {
      {image + "flags=\nrecord=none\n" + "\n#keyloom-test-config 19\n", "flags=\nrecord=none\n"},
      {image + "\n#keyloom-test-config 0\n", ""},
      {"init=fail\n\n#keyloom-test-config 10\n", "init=fail\n"},      // the whole file before the marker
      {image, std::nullopt},                                          // only the image
      {image + "flags=\n\n#keyloom-test-config 7", std::nullopt},     // no line end after the length
      {image + "flags=\n\n#keyloom-test-config 7x\n", std::nullopt},  // not a number
      {"flags=\n\n#keyloom-test-config 99\n", std::nullopt},          // longer than what stands before
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(appendedConfig(c.file), c.config) << c.file;
}

}  // namespace
}  // namespace keyloom_test
