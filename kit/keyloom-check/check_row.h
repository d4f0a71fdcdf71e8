// One line of the checker's report: a rule, whether the library kept it, and what was seen.
#pragma once

#include <string>
#include <vector>

namespace keyloom_check {

// Aborted: the check was planned but never finished because the library crashed or hung earlier.
// Warning: a risk worth the author's look that breaks no rule, so it never fails the check.
enum class Status { Passed, Failed, Skipped, Aborted, Warning };

struct Row {
  std::string id;     // stable name of the check, e.g. "foreign-text"; tests and authors refer to it
  std::string title;  // the rule, in words
  Status status = Status::Passed;
  std::string detail;  // what was seen; for a failure, what went wrong and why it matters
};

const char* statusWord(Status status);

}  // namespace keyloom_check
