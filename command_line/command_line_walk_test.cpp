#include <gtest/gtest.h>

#include <set>

#include "command_line/command_line_walk.h"

namespace {

// Paths that "exist" for these cases; everything else is missing, and "denied" cannot be checked. The
// system reads a path up to its first NUL, as Windows does with the C string it is given.
CommandLineSystem fakeSystem(bool testPathEnabled) {
  CommandLineSystem system;
  system.testPathEnabled = testPathEnabled;
  system.checkPath = [](const std::wstring& given) {
    static const std::set<std::wstring> existing = {L"C:\\data", L"C:\\pairs", L"start", L"C:\\data\\one.kyl"};
    const std::wstring path = given.c_str();
    if (path == L"denied") return PathCheck{false, "Could not check whether \"denied\" exists: access denied"};
    return PathCheck{existing.count(path) > 0, {}};
  };
  system.toAnsi = [](std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
  };
  return system;
}

const std::string kFirst = "The tool has been executed with the following command line arguments: ";

struct Case {
  const char* name;
  std::vector<std::wstring> args;  // after the program path
  bool testPathEnabled;
  bool starts;
  std::vector<std::string> lines;  // after the command-line line
  std::wstring scanPath = {}, testPath = {};
  bool backup = true, wholeScan = false, replace = false;
};

const std::vector<std::string> kHelpWithTestPath = {
    "Silent execution parameters:",
    "-disable-backup - Disables the file Backup option",
    "-full-scan - Enables the Scan entire system option (ignoring -scan-path argument)",
    "-replace-existing - Enables the \"Replace previously decrypted files\" option",
    "-scan-path - Specifies the path containing encrypted files",
    "-test-path - Specifies a folder containing pairs of clean-encrypted files",
    "start - Allows the tool to run silently (no GUI)",
};

std::vector<std::string> helpWithoutTestPath() {
  auto lines = kHelpWithTestPath;
  lines.erase(lines.begin() + 5);
  return lines;
}

TEST(CommandLineWalk, Cases) {
  const Case cases[] = {
      {"full scan", {L"start", L"-full-scan"}, false, true, {}, {}, {}, true, true, false},
      {"start alone", {L"start"}, false, false, {"Missing scan path argument."}},
      {"no start", {L"-full-scan"}, false, false, {"Missing \"start\" argument for allowing silent execution."}},
      {"not an option at all", {L"hello"}, false, false, {"Missing \"start\" argument for allowing silent execution."}},
      {"help first", {L"-help"}, true, false, kHelpWithTestPath},
      {"help later", {L"-x", L"-help"}, false, false, helpWithoutTestPath()},
      {"test path needed", {L"start", L"-scan-path", L"C:\\data"}, true, false, {"Missing test path argument."}},
      {"missing scan path tested despite full scan",
       {L"start", L"-scan-path", L"C:\\nowhere", L"-full-scan"},
       false,
       false,
       {"The provided scan path does not exist!"}},
      {"missing test path",
       {L"start", L"-full-scan", L"-test-path", L"C:\\nothing"},
       true,
       false,
       {"The provided test path does not exist!"}},
      {"a file as scan path", {L"start", L"-scan-path", L"C:\\data\\one.kyl"}, false, true, {}, L"C:\\data\\one.kyl"},
      {"value taken whatever it looks like",
       {L"start", L"-scan-path", L"-full-scan"},
       false,
       false,
       {"The provided scan path does not exist!"}},
      {"first failure ends the walk",
       {L"start", L"-scan-path", L"C:\\no", L"-bogus", L"-test-path", L"C:\\no"},
       false,
       false,
       {"The provided scan path does not exist!"}},
      {"any order, last path wins, flags",
       {L"-replace-existing", L"-scan-path", L"C:\\pairs", L"-disable-backup", L"start", L"-scan-path", L"C:\\data",
        L"-test-path", L"C:\\pairs", L"-disable-backup"},
       true,
       true,
       {},
       L"C:\\data",
       L"C:\\pairs",
       false,
       false,
       true},
      {"other letter case is unknown",
       {L"START", L"-Full-Scan"},
       false,
       false,
       {"Missing \"start\" argument for allowing silent execution."}},
      {"unknown arguments are reported and ignored",
       {L"start", L"-full-scan", L"-Full-Scan", L"-help", L"-scan-path=C:\\data", L"\x0434"},
       false,
       true,
       {"Ignoring unknown argument \"-Full-Scan\".", "Ignoring unknown argument \"-help\".",
        "Ignoring unknown argument \"-scan-path=C:\\data\".", "Ignoring unknown argument \"?\"."},
       {},
       {},
       true,
       true,
       false},
      {"a folder named start satisfies the search", {L"-scan-path", L"start"}, false, true, {}, L"start"},
      {"path option at the very end does nothing",
       {L"start", L"-full-scan", L"-scan-path"},
       false,
       true,
       {},
       {},
       {},
       true,
       true,
       false},
      {"a scan path with a NUL does not exist, whatever its first part names",
       {L"start", L"-scan-path", std::wstring(L"C:\\data\0\\elsewhere", 18)},
       false,
       false,
       {"The provided scan path does not exist!"}},
      {"a test path with a NUL does not exist",
       {L"start", L"-full-scan", L"-test-path", std::wstring(L"C:\\pairs\0", 9)},
       true,
       false,
       {"The provided test path does not exist!"}},
      {"unanswerable existence check is logged",
       {L"start", L"-scan-path", L"denied"},
       false,
       false,
       {"Could not check whether \"denied\" exists: access denied", "The provided scan path does not exist!"}},
  };
  for (const Case& c : cases) {
    std::vector<std::wstring> args = {L"C:\\tool\\recovery-tool.exe"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CommandLineOutcome outcome = walkCommandLine(args, fakeSystem(c.testPathEnabled));
    ASSERT_FALSE(outcome.logLines.empty()) << c.name;
    EXPECT_EQ(outcome.logLines[0].rfind(kFirst, 0), 0u) << c.name;
    EXPECT_EQ(std::vector<std::string>(outcome.logLines.begin() + 1, outcome.logLines.end()), c.lines) << c.name;
    EXPECT_EQ(outcome.startRun, c.starts) << c.name;
    if (!c.starts) continue;
    EXPECT_EQ(outcome.settings.scanPath, c.scanPath) << c.name;
    EXPECT_EQ(outcome.settings.testPath, c.testPath) << c.name;
    ASSERT_EQ(outcome.settings.options.size(), 3u) << c.name;
    const OptionChoice* o = outcome.settings.options.data();
    EXPECT_TRUE(o[0].id == 1 && o[1].id == 2 && o[2].id == 3) << c.name;
    EXPECT_EQ(o[0].checked, c.backup) << c.name;
    EXPECT_EQ(o[1].checked, c.wholeScan) << c.name;
    EXPECT_EQ(o[2].checked, c.replace) << c.name;
  }
}

TEST(CommandLineWalk, AFrontEndsOwnOptionsAreKnownListedInTheHelpAndHandedBack) {
  CommandLineSystem system = fakeSystem(false);
  system.frontEndOptions = {{L"-report", "Writes a report"}, {L"-max-minutes", "Stops in time"}};
  const auto walk = [&system](std::vector<std::wstring> args) {
    args.insert(args.begin(), L"C:\tool\recovery-run.exe");
    return walkCommandLine(args, system);
  };

  const CommandLineOutcome help = walk({L"-help"});
  EXPECT_TRUE(help.helpRequested);
  auto expectedHelp = helpWithoutTestPath();
  expectedHelp.insert(expectedHelp.end(), {"-report - Writes a report", "-max-minutes - Stops in time"});
  EXPECT_EQ(std::vector<std::string>(help.logLines.begin() + 1, help.logLines.end()), expectedHelp);

  // The last value wins; a value is taken whatever it looks like; an option at the very end does nothing.
  const CommandLineOutcome run =
      walk({L"start", L"-report", L"a.jsonl", L"-full-scan", L"-report", L"-start", L"-max-minutes"});
  ASSERT_TRUE(run.startRun);
  EXPECT_FALSE(run.helpRequested);
  EXPECT_EQ(run.logLines.size(), 1u) << "neither option is unknown";
  ASSERT_EQ(run.frontEndValues.size(), 2u);
  EXPECT_TRUE(run.frontEndValues[0].given);
  EXPECT_EQ(run.frontEndValues[0].value, L"-start");
  EXPECT_TRUE(run.frontEndValues[1].named);
  EXPECT_FALSE(run.frontEndValues[1].given);
  EXPECT_FALSE(walk({L"start", L"-full-scan"}).frontEndValues[0].named);

  const CommandLineOutcome windowed =
      walkCommandLine({L"tool.exe", L"start", L"-full-scan", L"-report", L"x"}, fakeSystem(false));
  EXPECT_EQ(windowed.logLines[1], "Ignoring unknown argument \"-report\".") << "only where the front end asks";
}

TEST(CommandLineWalk, FirstLineListsEveryArgumentAfterOneSpace) {
  const CommandLineOutcome outcome =
      walkCommandLine({L"C:\\tool.exe", L"start", L"-scan-path", L"C:\\a b"}, fakeSystem(false));
  EXPECT_EQ(outcome.logLines[0], kFirst + " C:\\tool.exe start -scan-path C:\\a b");
}

}  // namespace
