#include "console/summary_rows.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <utility>

namespace {

using Json = nlohmann::json;

std::string text(const Json& object, const char* key) {
  const auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

uint64_t count(const Json& object, const char* key) {
  const auto found = object.find(key);
  return found != object.end() && found->is_number_unsigned() ? found->get<uint64_t>() : 0;
}

// Control characters, and the start of a console's escape sequences, shown as "?".
std::string printable(std::string value) {
  for (char& c : value)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return value;
}

// The columns a UTF-8 text takes, one for each character.
size_t columns(std::string_view value) {
  return static_cast<size_t>(
      std::count_if(value.begin(), value.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string csvField(std::string value) {
  value = printable(std::move(value));
  // A spreadsheet runs a cell that begins so as a formula.
  if (value.size() > 1 && std::string_view("=+-@").find(value.front()) != std::string_view::npos) value.insert(0, "'");
  std::string quoted = "\"";
  for (const char c : value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::vector<std::string> cells(const MachineRow& row) {
  const auto number = [&row](uint64_t n) { return row.didEnd ? std::to_string(n) : std::string("-"); };
  return {printable(row.computer),
          row.result,
          row.didEnd ? std::to_string(row.exitCode) : std::string("-"),
          number(row.counts.offered),
          std::to_string(row.counts.decrypted),
          std::to_string(row.counts.failed),
          std::to_string(row.counts.notRemoved),
          std::to_string(row.counts.notSearched),
          printable(row.started),
          row.didEnd ? printable(row.ended) : std::string("-")};
}

const std::vector<std::string> kHeadings = {"Computer", "Result",      "Code",         "Offered", "Decrypted",
                                            "Failed",   "Not removed", "Not searched", "Started", "Ended"};

std::vector<MachineRow> sortedByComputer(std::vector<MachineRow> rows) {
  std::sort(rows.begin(), rows.end(), [](const MachineRow& a, const MachineRow& b) { return a.computer < b.computer; });
  return rows;
}

}  // namespace

ReportReader::ReportReader(std::string fileName) { row_.file = std::move(fileName); }

bool ReportReader::feed(std::string_view bytes) {
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, end);
    if (!overlong_) {
      pending_.append(piece);
      if (pending_.size() > kLongestLine) {
        // No line of a report is this long: it is passed over, up to its end, without being kept.
        overlong_ = true;
        pending_.clear();
      }
    }
    if (end == std::string_view::npos) return true;
    const bool wasOverlong = std::exchange(overlong_, false);
    const std::string complete = std::exchange(pending_, std::string());
    if (!wasOverlong && !line(complete)) return false;
    bytes.remove_prefix(end + 1);
  }
  return true;
}

bool ReportReader::line(std::string_view lineText) {
  const Json object = Json::parse(lineText, nullptr, false);
  if (first_) {
    first_ = false;
    isReport_ = object.is_object() && text(object, "type") == "start";
    if (!isReport_) return false;
    row_.computer = text(object, "computer");
    row_.started = text(object, "started");
    row_.result = "did not end";
    return true;
  }
  // A line cut short by a kill does not parse, and is passed over like any other that does not.
  if (!object.is_object()) return true;
  const std::string type = text(object, "type");
  if (type == "file") {
    const std::string answer = text(object, "answer");
    if (answer == "Decrypted") ++row_.counts.decrypted;
    if (answer == "Failed" || answer == "NoDiskSpace") ++row_.counts.failed;
    if (text(object, "encryptedCopy") == "removal-refused") ++row_.counts.notRemoved;
  } else if (type == "not-searched") {
    ++row_.counts.notSearched;
  } else if (type == "end") {
    const auto code = object.find("exitCode");
    row_.didEnd = true;
    row_.exitCode = code != object.end() && code->is_number_integer() ? code->get<int>() : -1;
    row_.result = text(object, "result");
    row_.ended = text(object, "ended");
    row_.outcome = text(object, "outcome");
    row_.counts = {count(object, "offered"),    count(object, "decrypted"), count(object, "failed"),
                   count(object, "notRemoved"), count(object, "notLocal"),  count(object, "notSearched")};
  }
  return true;
}

std::optional<MachineRow> ReportReader::row() const {
  if (!isReport_) return std::nullopt;
  return row_;
}

std::vector<MachineRow> newestPerMachine(std::vector<MachineRow> rows) {
  std::map<std::string, MachineRow> newest;
  for (MachineRow& row : rows) {
    const auto found = newest.find(row.computer);
    const bool newer =
        found == newest.end() || std::tie(row.started, row.file) > std::tie(found->second.started, found->second.file);
    if (newer) newest[row.computer] = std::move(row);
  }
  std::vector<MachineRow> result;
  for (auto& [computer, row] : newest) result.push_back(std::move(row));
  return result;
}

std::string summaryTable(const std::vector<MachineRow>& given) {
  const std::vector<MachineRow> rows = sortedByComputer(given);
  std::vector<std::vector<std::string>> table = {kHeadings};
  for (const MachineRow& row : rows) table.push_back(cells(row));
  std::vector<size_t> widths(kHeadings.size(), 0);
  for (const auto& line : table)
    for (size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], columns(line[i]));
  std::string out;
  for (const auto& line : table) {
    std::string text;
    for (size_t i = 0; i < line.size(); ++i) {
      text += line[i];
      if (i + 1 < line.size()) text += std::string(widths[i] - columns(line[i]) + 2, ' ');
    }
    out += text + "\n";
  }
  size_t ended = std::count_if(rows.begin(), rows.end(), [](const MachineRow& r) { return r.didEnd; });
  out += fmt::format("{} machines, {} reports ended, {} did not end\n", rows.size(), ended, rows.size() - ended);
  return out;
}

std::vector<std::string> summaryCsvLines(const std::vector<MachineRow>& given) {
  const std::vector<MachineRow> rows = sortedByComputer(given);
  std::vector<std::string> lines;
  const auto join = [](const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) {
      if (!line.empty()) line += ',';
      line += csvField(field);
    }
    return line;
  };
  std::vector<std::string> headings = kHeadings;
  headings.insert(headings.end(), {"Outcome", "Report"});
  lines.push_back(join(headings));
  for (const MachineRow& row : rows) {
    std::vector<std::string> fields = cells(row);
    fields.push_back(row.outcome);
    fields.push_back(row.file);
    lines.push_back(join(fields));
  }
  return lines;
}
