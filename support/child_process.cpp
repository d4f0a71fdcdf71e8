#include "support/child_process.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "support/command_line.h"

namespace support {
namespace {

// This process's environment with the overrides applied, as CreateProcessW takes it with
// CREATE_UNICODE_ENVIRONMENT: "name=value" entries, each ended by a NUL, and one NUL more.
std::vector<wchar_t> environment_block(const std::vector<std::pair<std::wstring, std::wstring>>& overrides) {
  std::vector<std::pair<std::wstring, std::wstring>> variables;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
      const std::wstring text(entry);
      const size_t equals = text.find(L'=', 1);  // names such as "=C:" start with one
      if (equals == std::wstring::npos) continue;
      variables.emplace_back(text.substr(0, equals), text.substr(equals + 1));
    }
    FreeEnvironmentStringsW(block);
  }
  for (const auto& [name, value] : overrides) {
    std::erase_if(variables, [&](const auto& variable) { return _wcsicmp(variable.first.c_str(), name.c_str()) == 0; });
    variables.emplace_back(name, value);
  }
  std::vector<wchar_t> out;
  for (const auto& [name, value] : variables) {
    const std::wstring entry = name + L"=" + value;
    out.insert(out.end(), entry.begin(), entry.end());
    out.push_back(L'\0');
  }
  out.push_back(L'\0');
  return out;
}

DWORD milliseconds_until(ULONGLONG moment) {
  const ULONGLONG now = GetTickCount64();
  return now >= moment ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(moment - now, INFINITE - 1));
}

}  // namespace

ChildEnd run_with_deadline(const ChildProgram& program, std::chrono::milliseconds deadline,
                           const WhileRunning& while_running) {
  ChildEnd end;
  std::wstring command = command_line(program.path, program.arguments);
  std::vector<wchar_t> environment;
  DWORD flags = 0;
  if (!program.environment.empty()) {
    environment = environment_block(program.environment);
    flags |= CREATE_UNICODE_ENVIRONMENT;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (program.standard_handles) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = program.standard_handles->input;
    startup.hStdOutput = program.standard_handles->output;
    startup.hStdError = program.standard_handles->error;
  }
  const bool inherit = program.inherit_handles || program.standard_handles;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.path.c_str(), command.data(), nullptr, nullptr, inherit, flags,
                      environment.empty() ? nullptr : environment.data(),
                      program.working_directory.empty() ? nullptr : program.working_directory.c_str(), &startup,
                      &process)) {
    end.start_error = GetLastError();
    return end;
  }
  end.started = true;
  CloseHandle(process.hThread);

  const ULONGLONG deadline_at = GetTickCount64() + static_cast<ULONGLONG>(deadline.count());
  for (;;) {
    DWORD wait = milliseconds_until(deadline_at);
    if (while_running) {
      const auto next_look = while_running(process.dwProcessId).count();
      wait = std::min<DWORD>(wait, static_cast<DWORD>(std::clamp<long long>(next_look, 0, INFINITE - 1)));
    }
    if (WaitForSingleObject(process.hProcess, wait) != WAIT_TIMEOUT) break;
    if (milliseconds_until(deadline_at) == 0) {
      end.timed_out = true;
      TerminateProcess(process.hProcess, kEndedAtDeadline);
      WaitForSingleObject(process.hProcess, INFINITE);
      break;
    }
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  end.exit_code = code;
  CloseHandle(process.hProcess);
  return end;
}

}  // namespace support
