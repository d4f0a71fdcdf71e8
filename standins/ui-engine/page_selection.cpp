// Chooses what stands behind the document: a page in a browser when STANDIN_ENGINE_PREVIEW names the
// loopback address of a preview relay; else the scenario named by STANDIN_ENGINE_SCENARIO, or an empty
// scenario (every function answers undefined and the user does nothing).
#include <windows.h>

#include <fstream>
#include <sstream>

#include "standins/ui-engine/browser_page.h"
#include "standins/ui-engine/journal.h"
#include "standins/ui-engine/page.h"
#include "standins/ui-engine/scenario_page.h"

namespace standin {
namespace {

std::wstring environment(const wchar_t* name) {
  wchar_t value[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return {};
  return value;
}

std::string read_scenario() {
  const std::wstring path = environment(L"STANDIN_ENGINE_SCENARIO");
  if (path.empty()) return {};
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) {
    journal("ScenarioError", {{"missing", utf8_from_wide(path)}});
    return {};
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::unique_ptr<Page> choose_page() {
  if (const std::string relay_address = utf8_from_wide(environment(L"STANDIN_ENGINE_PREVIEW"));
      !relay_address.empty()) {
    if (std::shared_ptr<RelayConnection> relay = connect_relay(relay_address)) {
      journal("PreviewConnected", {{"relay", relay_address}});
      return make_browser_page(std::move(relay));
    }
    journal("PreviewUnavailable", {{"relay", relay_address}});
  }
  return make_scenario_page(read_scenario());
}

}  // namespace

Page& page() {
  static Page* const chosen = choose_page().release();  // lives until the process ends
  return *chosen;
}

}  // namespace standin
