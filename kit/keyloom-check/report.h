// Joins the rows of the checker's sessions into one report, one row per check.
#pragma once

#include <string>
#include <vector>

#include "check_row.h"

namespace keyloom_check {

// Rows of the same check from several sessions become one: a failure anywhere fails it, an abort
// leaves it unproven, and only then does a pass count. Rows come out in the order the tool meets the rules.
std::vector<Row> mergeRows(const std::vector<std::vector<Row>>& sessions);

// The printed report: a heading, one row per check (status, id, rule, then the detail indented), a tally.
std::string formatReport(const std::string& heading, const std::vector<Row>& rows);

// 0 when every check passed or did not apply, 1 otherwise; a warning leaves it as it is.
int exitCode(const std::vector<Row>& rows);

}  // namespace keyloom_check
