#include "protocol.h"

#include <algorithm>
#include <cstdlib>
#include <fmt/format.h>
#include <sstream>

#include "rules.h"

namespace keyloom_check::protocol {
namespace {

// Details come from library texts and paths: keep each record on one line.
std::string oneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
  return text;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    out.push_back(line.substr(start, tab - start));
  }
  out.push_back(line.substr(start));
  return out;
}

bool statusFromWord(const std::string& word, Status& status) {
  for (Status s : {Status::Passed, Status::Failed, Status::Skipped, Status::Aborted, Status::Warning}) {
    if (word == statusWord(s)) {
      status = s;
      return true;
    }
  }
  return false;
}

Row makeRow(const std::string& id, Status status, std::string detail) {
  return Row{id, rules::title(id), status, std::move(detail)};
}

}  // namespace

std::string planLine(const std::string& id) { return "plan\t" + id; }
std::string enterLine(const std::string& id) { return "enter\t" + id; }
std::string rowLine(const Row& row) {
  return fmt::format("row\t{}\t{}\t{}", row.id, statusWord(row.status), oneLine(row.detail));
}

std::string describeExceptionCode(uint32_t code) {
  const char* words = "an exception";
  switch (code) {
    case 0xC0000005u:
      words = "access violation";
      break;
    case 0xC00000FDu:
      words = "stack overflow";
      break;
    case 0xC0000094u:
      words = "integer division by zero";
      break;
    case 0xC000001Du:
      words = "illegal instruction";
      break;
    case 0xC0000409u:
      words = "fast fail (stack buffer overrun or abort)";
      break;
    case 0xC0000374u:
      words = "heap corruption";
      break;
    case 0x80000003u:
      words = "breakpoint";
      break;
  }
  return fmt::format("{} (0x{:08x})", words, code);
}

constexpr uint32_t kAbortExitCode = 3;

std::vector<Row> rowsFromSession(const std::string& output, const SessionEnd& end) {
  std::vector<std::string> planned;
  std::vector<Row> rows;
  std::string entered;
  bool done = false, crashed = false, stale = false;
  uint32_t crashCode = 0;

  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto f = fields(line);
    if (f[0] == "plan" && f.size() >= 2) {
      planned.push_back(f[1]);
    } else if (f[0] == "enter" && f.size() >= 2) {
      entered = f[1];
    } else if (f[0] == "row" && f.size() >= 4) {
      Status status;
      if (!statusFromWord(f[2], status)) continue;
      rows.push_back(makeRow(f[1], status, f[3]));
      if (entered == f[1]) entered.clear();
    } else if (f[0] == "crash" && f.size() >= 3) {
      crashed = true;
      crashCode = static_cast<uint32_t>(std::strtoul(f[1].c_str(), nullptr, 16));
      stale = f[2] == "1";
    } else if (f[0] == kDoneLine) {
      done = true;
    }
  }
  if (done && !end.timedOut) return rows;

  const std::string culprit = entered.empty() ? std::string(rules::kExports) : entered;
  std::string cause;
  if (end.timedOut) {
    cause = fmt::format("the library did not return within {} seconds; the checker stopped it", end.timeoutSeconds);
  } else if (crashed) {
    cause = "the library crashed the checker: " + describeExceptionCode(crashCode);
    if (stale) cause += ", reading the InitParams record after Init had returned";
  } else {
    cause = fmt::format(
        "the checker's session ended inside the library (exit code 0x{:x}): the library ended the "
        "process or aborted",
        end.exitCode);
  }
  rows.erase(std::remove_if(rows.begin(), rows.end(), [&](const Row& r) { return r.id == culprit; }), rows.end());
  rows.push_back(makeRow(culprit, Status::Failed, cause));
  if (stale && culprit != rules::kInitParamsKept) {
    rows.push_back(makeRow(rules::kInitParamsKept, Status::Failed,
                           fmt::format("the library read the InitParams record after Init had returned (while "
                                       "checking {}): it must copy what it keeps",
                                       culprit)));
  }
  // The C runtime's abort(), which std::terminate calls. In a 32-bit build the tool and the library each
  // carry their own unwinder, so an exception that leaves the library finds no handler and ends the process
  // this way: no caller can catch it.
  if (!end.timedOut && !crashed && end.exitCode == kAbortExitCode && culprit != rules::kNoExceptions) {
    rows.push_back(makeRow(rules::kNoExceptions, Status::Failed,
                           fmt::format("the process aborted while checking {}, as it does when an exception "
                                       "leaves the library in a 32-bit build, where no caller can catch it",
                                       culprit)));
  }
  for (const std::string& id : planned) {
    const bool reported = std::any_of(rows.begin(), rows.end(), [&](const Row& r) { return r.id == id; });
    if (!reported) rows.push_back(makeRow(id, Status::Aborted, "not run: the library failed earlier, in " + culprit));
  }
  return rows;
}

}  // namespace keyloom_check::protocol
