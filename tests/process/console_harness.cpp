#include "tests/process/console_harness.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/child_process.h"

namespace console_harness {

namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

HANDLE inheritable_file(const fs::path& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::vector<std::string> ConsoleResult::library_calls() const { return lines_of(library_record); }

std::vector<std::string> ConsoleResult::log_messages(bool with_level) const {
  harness::ToolResult as_tool;
  as_tool.log = log;
  return as_tool.log_messages(with_level);
}

ConsoleResult run_console(harness::Sandbox& box, const ConsoleRun& run) {
  const fs::path program = box.app_dir() / "recovery-run.exe";
  fs::copy_file(harness::bin_dir() / CONSOLE_FILE_NAME, program, fs::copy_options::overwrite_existing);
  if (!run.library.empty())
    fs::copy_file(harness::bin_dir() / run.library, box.app_dir() / "Keyloom.dll",
                  fs::copy_options::overwrite_existing);
  if (!run.library_config.empty()) harness::write_file(box.app_dir() / "Keyloom.dll.cfg", run.library_config);
  fs::remove(box.app_dir() / "Keyloom.dll.record");

  const fs::path out_path = box.root() / "stdout.txt", err_path = box.root() / "stderr.txt";
  const HANDLE out = inheritable_file(out_path), err = inheritable_file(err_path);
  support::ChildProgram child{program.wstring(), run.args, box.app_dir().wstring()};
  child.environment = {{L"TEMP", box.temp_dir().wstring()}, {L"TMP", box.temp_dir().wstring()}};
  child.standard_handles = support::StandardHandles{nullptr, out, err};
  const support::ChildEnd end = support::run_with_deadline(child, std::chrono::milliseconds(run.timeout_ms));
  CloseHandle(out);
  CloseHandle(err);

  ConsoleResult result;
  if (!end.started) {
    ADD_FAILURE() << "could not start the console program: " << end.start_error;
    return result;
  }
  result.exit_code = end.exit_code;
  result.timed_out = end.timed_out;
  result.out = harness::read_file(out_path);
  result.err = harness::read_file(err_path);
  result.log = harness::read_file(box.log_path());
  result.library_record = harness::read_file(box.app_dir() / "Keyloom.dll.record");
  if (!result.out.empty() && result.out.back() == '\n' && result.out.find('\n') == result.out.size() - 1) {
    result.outcome = json::parse(result.out, nullptr, false);
    if (result.outcome.is_discarded() || !result.outcome.is_object()) result.outcome = nullptr;
  }
  return result;
}

std::vector<json> report_lines(const fs::path& report) {
  std::vector<json> parsed;
  const std::string text = harness::read_file(report);
  const size_t whole = text.rfind('\n');
  if (whole == std::string::npos) return parsed;
  for (const std::string& line : lines_of(text.substr(0, whole + 1))) {
    json object = json::parse(line, nullptr, false);
    EXPECT_FALSE(object.is_discarded()) << "a report line that does not parse: " << line;
    parsed.push_back(std::move(object));
  }
  return parsed;
}

}  // namespace console_harness
