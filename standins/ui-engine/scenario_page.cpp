#include "standins/ui-engine/scenario_page.h"

#include <chrono>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "standins/ui-engine/engine_actions.h"
#include "standins/ui-engine/journal.h"

namespace standin {
namespace {

struct Action {
  int delay_ms = 0;
  std::string kind;  // close, native, message
  std::string rest;  // the action's own words
};

struct Trigger {
  std::string event;     // "load" or "call"
  std::string function;  // for "call"
  int nth = 0;           // 0: every call
  Action action;
};

std::string rest_of(std::istringstream& in) {
  std::string rest;
  std::getline(in, rest);
  const size_t start = rest.find_first_not_of(' ');
  return start == std::string::npos ? std::string() : rest.substr(start);
}

class ScenarioPage : public Page {
 public:
  explicit ScenarioPage(const std::string& text) { parse(text); }

  void document_loaded(HWND window, const std::string&) override {
    for (const Trigger& t : triggers_)
      if (t.event == "load") perform(window, t.action);
  }

  PageCallResult call(HWND window, const std::string& name, const json&) override {
    PageCallResult result;
    std::vector<Action> due;
    {
      std::lock_guard guard(lock_);
      const int count = ++calls_[name];
      if (auto e = errors_.find(name); e != errors_.end()) {
        result.ok = false;
        result.error = e->second;
      } else if (auto a = answers_.find(name); a != answers_.end()) {
        result.value = a->second;
      }
      for (const Trigger& t : triggers_)
        if (t.event == "call" && t.function == name && (t.nth == 0 || t.nth == count)) due.push_back(t.action);
    }
    for (const Action& action : due) perform(window, action);
    return result;
  }

 private:
  void parse(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::istringstream in(line);
      std::string word;
      if (!(in >> word) || word[0] == '#') continue;
      if (word == "answer") {
        std::string function;
        in >> function;
        answers_[function] = json::parse(rest_of(in), nullptr, false);
      } else if (word == "error") {
        std::string function;
        in >> function;
        errors_[function] = rest_of(in);
      } else if (word == "on") {
        Trigger t;
        in >> t.event;
        if (t.event == "call") {
          in >> t.function;
          if (const size_t hash = t.function.find('#'); hash != std::string::npos) {
            t.nth = std::stoi(t.function.substr(hash + 1));
            t.function.resize(hash);
          }
        }
        std::string kind;
        in >> kind;
        if (kind == "delay") {
          in >> t.action.delay_ms >> kind;
        }
        t.action.kind = kind;
        t.action.rest = rest_of(in);
        triggers_.push_back(t);
      } else {
        journal("ScenarioError", {{"line", line}});
      }
    }
  }

  static void perform(HWND window, const Action& action) {
    auto work = [window, action] {
      if (action.kind == "close") {
        close_window(window);
      } else if (action.kind == "native") {
        std::istringstream in(action.rest);
        std::string method;
        in >> method;
        const std::string args_text = rest_of(in);
        const json args = args_text.empty() ? json::array() : json::parse(args_text, nullptr, false);
        const json result = call_native_method(window, "frame", method, args);
        journal("PageReceived", {{"method", method}, {"result", result}});
      } else if (action.kind == "message") {
        std::istringstream in(action.rest);
        unsigned subsystem = 0, severity = 0;
        in >> subsystem >> severity;
        std::string text = rest_of(in);
        // Scenario lines cannot hold line breaks; \r and \n stand for them.
        for (const auto& [escape, c] : {std::pair{"\\r", '\r'}, std::pair{"\\n", '\n'}})
          for (size_t at; (at = text.find(escape)) != std::string::npos;) text.replace(at, 2, 1, c);
        emit_engine_message(subsystem, severity, wide_from_utf8(text));
      }
    };
    if (action.delay_ms > 0) {
      std::thread([window, work, delay = action.delay_ms] {
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        run_on_window_thread(window, work);
      }).detach();
    } else {
      run_on_window_thread(window, work);
    }
  }

  std::mutex lock_;
  std::map<std::string, json> answers_;
  std::map<std::string, std::string> errors_;
  std::map<std::string, int> calls_;
  std::vector<Trigger> triggers_;
};

}  // namespace

std::unique_ptr<Page> make_scenario_page(const std::string& scenario_text) {
  return std::make_unique<ScenarioPage>(scenario_text);
}

}  // namespace standin
