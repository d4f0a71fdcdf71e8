#include "console/console_options.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>

#include "text/encodings.h"

namespace {

constexpr double kMostMinutes = 366.0 * 24 * 60;

const FrontEndValue* find(const std::vector<FrontEndValue>& values, std::wstring_view name) {
  const auto found =
      std::find_if(values.begin(), values.end(), [name](const FrontEndValue& v) { return v.name == name; });
  return found == values.end() ? nullptr : &*found;
}

}  // namespace

std::optional<std::chrono::milliseconds> parseMinutes(std::wstring_view text) {
  double whole = 0, fraction = 0, scale = 1;
  bool digits = false, point = false;
  for (const wchar_t c : text) {
    if (c == L'.' && !point) {
      point = true;
      continue;
    }
    if (c < L'0' || c > L'9') return std::nullopt;
    digits = true;
    if (point) {
      scale /= 10;
      fraction += (c - L'0') * scale;
    } else {
      whole = whole * 10 + (c - L'0');
      if (whole > kMostMinutes) return std::nullopt;
    }
  }
  const double minutes = whole + fraction;
  if (!digits || minutes <= 0 || minutes > kMostMinutes) return std::nullopt;
  const auto ms = std::chrono::milliseconds(static_cast<int64_t>(std::llround(minutes * 60000)));
  if (ms.count() <= 0) return std::nullopt;
  return ms;
}

std::wstring fileNamePart(std::wstring_view name) {
  std::wstring part;
  for (const wchar_t c : name) {
    const bool plain = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
                       c == L'_' || c == L'.';
    part += plain ? c : L'_';
  }
  // No "." or "..", no name the system would cut at its end, and never an empty part.
  while (!part.empty() && part.back() == L'.') part.back() = L'_';
  if (part.empty()) part = L"unknown-computer";
  return part;
}

std::wstring reportPathFor(std::wstring_view given, std::wstring_view computerName) {
  static constexpr std::wstring_view kPlaceholder = L"{computer}";
  const std::wstring name = fileNamePart(computerName);
  std::wstring path;
  for (size_t i = 0; i < given.size();) {
    if (given.substr(i, kPlaceholder.size()) == kPlaceholder) {
      path += name;
      i += kPlaceholder.size();
    } else {
      path += given[i++];
    }
  }
  return path;
}

ConsoleOptions readConsoleOptions(const std::vector<FrontEndValue>& values, std::wstring_view computerName) {
  ConsoleOptions options;
  if (const FrontEndValue* limit = find(values, L"-max-minutes"); limit && limit->named) {
    if (!limit->given) {
      options.problem = "The -max-minutes argument needs a number of minutes after it.";
      return options;
    }
    options.timeLimit = parseMinutes(limit->value);
    if (!options.timeLimit) {
      options.problem = fmt::format("The provided time limit is not a number of minutes above zero: \"{}\".",
                                    text::ansi_from_wide(limit->value));
      return options;
    }
  }
  if (const FrontEndValue* report = find(values, L"-report"); report && report->named) {
    if (!report->given || report->value.empty()) {
      options.problem = "The -report argument needs a file after it.";
      return options;
    }
    options.reportPath = reportPathFor(report->value, computerName);
  }
  return options;
}
