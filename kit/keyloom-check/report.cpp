#include "report.h"

#include <algorithm>
#include <fmt/format.h>

#include "rules.h"

namespace keyloom_check {

const char* statusWord(Status status) {
  switch (status) {
    case Status::Passed:
      return "passed";
    case Status::Failed:
      return "FAILED";
    case Status::Skipped:
      return "skipped";
    case Status::Aborted:
      return "NOT-RUN";
    case Status::Warning:
      return "warning";
  }
  return "?";
}

namespace {

int weight(Status status) {
  switch (status) {
    case Status::Failed:
      return 4;
    case Status::Aborted:
      return 3;
    case Status::Warning:
      return 2;
    case Status::Passed:
      return 1;
    case Status::Skipped:
      return 0;
  }
  return 0;
}

}  // namespace

std::vector<Row> mergeRows(const std::vector<std::vector<Row>>& sessions) {
  std::vector<Row> merged;
  for (const auto& session : sessions) {
    for (const Row& row : session) {
      auto same = std::find_if(merged.begin(), merged.end(), [&](const Row& r) { return r.id == row.id; });
      if (same == merged.end()) {
        merged.push_back(row);
      } else if (weight(row.status) > weight(same->status)) {
        same->status = row.status;
        same->detail = row.detail;
      } else if (row.status == same->status && !row.detail.empty() &&
                 same->detail.find(row.detail) == std::string::npos) {
        same->detail += same->detail.empty() ? row.detail : "; " + row.detail;
      }
    }
  }
  std::stable_sort(merged.begin(), merged.end(),
                   [](const Row& a, const Row& b) { return rules::rank(a.id) < rules::rank(b.id); });
  return merged;
}

std::string formatReport(const std::string& heading, const std::vector<Row>& rows) {
  std::string text = heading + "\n";
  int counts[5] = {};
  for (const Row& row : rows) {
    ++counts[static_cast<int>(row.status)];
    text += fmt::format("{:<8} {:<26} {}\n", statusWord(row.status), row.id, row.title);
    if (!row.detail.empty()) text += fmt::format("{:<8} {:<26} {}\n", "", "", row.detail);
  }
  text += fmt::format("{} passed, {} failed, {} skipped, {} not run", counts[0], counts[1], counts[2], counts[3]);
  // Only when there are any: a warning fails nothing, and the usual tally stays as it was.
  const int warnings = counts[static_cast<int>(Status::Warning)];
  if (warnings > 0) text += fmt::format(", {} warning{}", warnings, warnings == 1 ? "" : "s");
  return text + "\n";
}

int exitCode(const std::vector<Row>& rows) {
  const bool bad = std::any_of(rows.begin(), rows.end(),
                               [](const Row& r) { return r.status == Status::Failed || r.status == Status::Aborted; });
  return bad || rows.empty() ? 1 : 0;
}

}  // namespace keyloom_check
