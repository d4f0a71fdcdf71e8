#include "host/test_engine.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

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

void prepare() {
  static const bool done = [] {
    const auto scenario_path = folder() / "scenario.txt";
    std::ofstream(scenario_path, std::ios::binary) << kScenario;
    SetEnvironmentVariableW(L"STANDIN_ENGINE_SCENARIO", scenario_path.c_str());
    SetEnvironmentVariableW(L"STANDIN_ENGINE_JOURNAL", (folder() / "journal.txt").c_str());
    return true;
  }();
  (void)done;
}

std::vector<Entry> journal() {
  std::ifstream in(folder() / "journal.txt", std::ios::binary);
  std::vector<Entry> entries;
  for (std::string line; std::getline(in, line);) {
    const size_t space = line.find(' ');
    entries.push_back({line.substr(0, space), nlohmann::ordered_json::parse(line.substr(space + 1), nullptr, false)});
  }
  return entries;
}

std::string digest(const std::string& bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
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
