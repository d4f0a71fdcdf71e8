#include "test_config.h"

#include <cstdlib>

namespace keyloom_test {
namespace {

std::string_view trimLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  return line;
}

// Splits off the text before the first comma.
std::string_view takeField(std::string_view& rest) {
  const size_t comma = rest.find(',');
  std::string_view field = rest.substr(0, comma);
  rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
  return field;
}

int32_t toNumber(std::string_view text) {
  return static_cast<int32_t>(std::strtol(std::string(text).c_str(), nullptr, 10));
}

PatternRule patternRule(std::string_view value) {
  const size_t comma = value.rfind(',');
  if (comma == std::string_view::npos) return {std::string(value), 0};
  return {std::string(value.substr(0, comma)), toNumber(value.substr(comma + 1))};
}

void setFlags(Config& config, std::string_view list) {
  config.scanPath = config.testPath = config.backup = config.overwrite = config.wholeScan = false;
  while (!list.empty()) {
    const std::string_view flag = takeField(list);
    if (flag == "scan") config.scanPath = true;
    if (flag == "test") config.testPath = true;
    if (flag == "backup") config.backup = true;
    if (flag == "overwrite") config.overwrite = true;
    if (flag == "whole") config.wholeScan = true;
  }
}

}  // namespace

Config parseConfig(std::string_view text) {
  Config config;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = trimLineEnd(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, equals);
    std::string_view value = line.substr(equals + 1);

    if (key == "name") {
      config.name = value;
    } else if (key == "description") {
      config.description = value;
    } else if (key == "flags") {
      setFlags(config, value);
    } else if (key == "option") {
      OptionSpec option;
      option.id = static_cast<uint32_t>(toNumber(takeField(value)));
      option.checked = takeField(value) == "1";
      option.name = takeField(value);
      option.description = value;
      config.options.push_back(option);
    } else if (key == "init") {
      config.initSucceeds = value == "ok";
      if (value.starts_with("fail:")) config.initError = value.substr(5);
    } else if (key == "initLog") {
      const int level = toNumber(takeField(value));
      config.initLog.push_back({level, std::string(value)});
    } else if (key == "initDelay") {
      config.initDelay = toNumber(value);
    } else if (key == "result") {
      config.results.push_back(patternRule(value));
    } else if (key == "delay") {
      config.delays.push_back(patternRule(value));
    } else if (key == "throw") {
      config.throwing.emplace_back(value);
    } else if (key == "alter") {
      const size_t comma = value.rfind(',');
      const std::string_view action = comma == std::string_view::npos ? "" : value.substr(comma + 1);
      AlterRule rule;
      rule.pattern = value.substr(0, comma == std::string_view::npos ? value.size() : comma);
      if (action == "copy")
        rule.action = AlterRule::Copy;
      else if (action == "delete")
        rule.action = AlterRule::Delete;
      else if (action == "overwrite")
        rule.action = AlterRule::Overwrite;
      else if (action == "write")
        rule.action = AlterRule::Write;
      else
        continue;
      config.alterations.push_back(rule);
    } else if (key == "useInitParams") {
      config.staleParams.emplace_back(value);
    } else if (key == "askFilesystem") {
      config.askFilesystem.emplace_back(value);
    } else if (key == "finishLog") {
      config.finishLogDelay = toNumber(takeField(value));
      config.finishLog = value;
    } else if (key == "appendTo") {
      config.appendTo.emplace_back(value);
    } else if (key == "record") {
      config.recordPath = value;
    }
  }
  return config;
}

std::optional<std::string> appendedConfig(std::string_view file) {
  constexpr std::string_view marker = "\n#keyloom-test-config ";
  if (!file.ends_with('\n')) return std::nullopt;
  file.remove_suffix(1);
  const size_t at = file.rfind(marker);
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view digits = file.substr(at + marker.size());
  if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  const size_t length = static_cast<size_t>(std::strtoul(std::string(digits).c_str(), nullptr, 10));
  if (length > at) return std::nullopt;
  return std::string(file.substr(at - length, length));
}

bool matchesPattern(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

int32_t firstMatch(const std::vector<PatternRule>& rules, std::string_view name, int32_t fallback) {
  for (const PatternRule& rule : rules) {
    if (matchesPattern(rule.pattern, name)) return rule.value;
  }
  return fallback;
}

}  // namespace keyloom_test
