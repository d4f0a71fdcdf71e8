#include "host/test_engine.h"

#include <windows.h>

#include <fstream>

namespace test_engine {
namespace {
std::filesystem::path folder() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("engine-test-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}
}  // namespace

void prepare(const char* scenario) {
  static const bool done = [scenario] {
    const auto scenario_path = folder() / "scenario.txt";
    std::ofstream(scenario_path, std::ios::binary) << scenario;
    SetEnvironmentVariableW(L"STANDIN_ENGINE_SCENARIO", scenario_path.c_str());
    SetEnvironmentVariableW(L"STANDIN_ENGINE_JOURNAL", (folder() / "journal.txt").c_str());
    return true;
  }();
  (void)done;
}

std::vector<Entry> journal() { return standin::read_journal(folder() / "journal.txt"); }

std::vector<Entry> journal_since(size_t entries, const std::string& call) {
  return standin::entries_of(journal(), call, entries);
}

void pump_messages(int milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  MSG msg;
  while (GetTickCount64() < end) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

}  // namespace test_engine
