// Chooses what stands behind the document: the scenario named by STANDIN_ENGINE_SCENARIO, or an empty
// scenario (every function answers undefined and the user does nothing).
#include <windows.h>

#include <fstream>
#include <sstream>

#include "standins/ui-engine/journal.h"
#include "standins/ui-engine/page.h"
#include "standins/ui-engine/scenario_page.h"

namespace standin {
namespace {

std::string read_scenario() {
  wchar_t path[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(L"STANDIN_ENGINE_SCENARIO", path, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return {};
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    journal("ScenarioError", {{"missing", utf8_from_wide(path)}});
    return {};
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

Page& page() {
  static Page* const chosen = make_scenario_page(read_scenario()).release();  // lives until the process ends
  return *chosen;
}

}  // namespace standin
