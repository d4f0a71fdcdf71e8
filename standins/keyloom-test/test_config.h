// What a test asks of the test library, read from a small text file of "key=value" lines (UTF-8,
// "#" starts a comment). Keys:
//   name=<text>            description=<text>
//   flags=<list>           the ToolInfo flags that are set, any of: scan,test,backup,overwrite,whole
//                          (absent: all set; "flags=" alone: none set)
//   option=<id>,<0|1>,<name>,<description>      one of the library's own options; repeatable
//   init=ok | fail | fail:<error text>          Init's answer, with or without an error text
//   initLog=<level>,<message>                   a line the library logs during Init; repeatable
//   initDelay=<milliseconds>                    time Init takes before it answers
//   result=<pattern>,<code>                     DecryptSingleFile's answer for file names matching the
//                                               pattern (* and ?, case-sensitive); the first match wins,
//                                               files matching none answer 0
//   delay=<pattern>,<milliseconds>              time DecryptSingleFile takes for matching files
//   throw=<pattern>                             DecryptSingleFile raises an exception for matching files
//   alter=<pattern>,<copy|delete|overwrite|write>   what DecryptSingleFile does to a matching file before it
//                                               answers: copy it to <name>.restored beside it, delete it,
//                                               overwrite its content, or write its content to <name>.restored
//                                               the careless way (straight under that name, unless it exists and
//                                               Replace is unchecked; removed when a write fails, and then the
//                                               answer is NoDiskSpace or Failed); repeatable, applied in order
//   useInitParams=<pattern>                     for matching files DecryptSingleFile reads the InitParams
//                                               record it was given in Init (a library that kept the pointer)
//   askFilesystem=<pattern>                     for matching files DecryptSingleFile first asks
//                                               std::filesystem::exists about the path it was given and answers
//                                               3 when told it is not there: a library that asks the C
//                                               runtime's stat, which on Windows finds no "\\?\" path
//   finishLog=<milliseconds>,<message>          Finish leaves a thread behind that logs the message through
//                                               Init's callback after the delay
//   appendTo=<path>                             the first GetInfo of the process appends a line to the file at
//                                               the path (which must exist), as a library that reaches past its
//                                               sandbox would (for example "\\?\unix\/abs/path" under Wine),
//                                               and records whether it could; repeatable
//   record=<path>                               where every call is recorded (see call_record.h);
//                                               "none" records nothing
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keyloom_test {

struct OptionSpec {
  uint32_t id = 0;
  bool checked = false;
  std::string name, description;
};

struct PatternRule {
  std::string pattern;
  int32_t value = 0;
};

struct LogSpec {
  int level = 0;
  std::string message;
};

struct AlterRule {
  enum Action { Copy, Delete, Overwrite, Write } action = Copy;
  std::string pattern;
};

struct Config {
  std::string name = "Test family";
  std::string description = "Test library";
  bool scanPath = true, testPath = true, backup = true, overwrite = true, wholeScan = true;
  std::vector<OptionSpec> options;
  bool initSucceeds = true;
  std::string initError;
  std::vector<LogSpec> initLog;
  int32_t initDelay = 0;
  std::vector<PatternRule> results;
  std::vector<PatternRule> delays;
  std::vector<std::string> throwing;
  std::vector<AlterRule> alterations;
  std::vector<std::string> staleParams;
  std::vector<std::string> askFilesystem;
  int32_t finishLogDelay = -1;  // below 0: Finish leaves nothing behind
  std::string finishLog;
  std::vector<std::string> appendTo;
  std::string recordPath;
};

Config parseConfig(std::string_view text);

// A configuration can travel inside the library file itself, appended after the image, so that it reaches
// the library through any copy of it: the file then ends with the text, a line break and the line
// "#keyloom-test-config <the text's length in bytes>". Returns the text, or nothing when the file does not
// end so.
std::optional<std::string> appendedConfig(std::string_view file);

// Wildcards: * any run of characters, ? one character.
bool matchesPattern(std::string_view pattern, std::string_view name);

// The value of the first rule whose pattern matches; fallback when none does.
int32_t firstMatch(const std::vector<PatternRule>& rules, std::string_view name, int32_t fallback);

}  // namespace keyloom_test
