#include "standins/ui-engine/browser_page.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "standins/ui-engine/document_loader.h"
#include "standins/ui-engine/engine_actions.h"
#include "standins/ui-engine/journal.h"
#include "standins/ui-engine/preview_wire.h"

namespace standin {
namespace {

using Clock = std::chrono::steady_clock;

// Long enough for a browser to start on a busy machine; a page that never comes must not hang the program.
constexpr auto kPageArrival = std::chrono::seconds(60);
constexpr auto kCallAnswer = std::chrono::seconds(20);

bool on_thread_of(HWND window) { return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId(); }

class BrowserPage : public Page {
 public:
  explicit BrowserPage(std::shared_ptr<RelayConnection> relay) : relay_(std::move(relay)) {
    std::thread([this, relay = relay_] {
      receive_messages(*relay, [this](const json& message) { on_message(message); });
      journal("PreviewRelayClosed");
      std::lock_guard guard(lock_);
      connected_ = false;
      page_lost_ = true;
      changed_.notify_all();
    }).detach();
  }

  // Like an engine, the document has its script running when loading returns: wait for the browser.
  void document_loaded(HWND window, const std::string& url) override {
    {
      std::lock_guard guard(lock_);
      window_ = window;
    }
    send_message(*relay_, {{"type", "document"}, {"url", url}});
    std::unique_lock lock(lock_);
    const bool arrived = wait(lock, window, Clock::now() + kPageArrival, [this] { return page_ready_ || !connected_; });
    if (!arrived || !page_ready_) page_lost_ = true;
    journal(page_ready_ ? "PreviewPageReady" : "PreviewPageMissing", {{"url", url}});
  }

  PageCallResult call(HWND window, const std::string& name, const json& args) override {
    std::unique_lock lock(lock_);
    if (page_lost_) return failure("the page is gone");
    const int64_t id = next_id_++;
    waiting_.insert(id);
    lock.unlock();
    const bool sent = send_message(*relay_, {{"type", "call"}, {"id", id}, {"name", name}, {"args", args}});
    lock.lock();
    const bool answered = sent && wait(lock, window, Clock::now() + kCallAnswer,
                                       [this, id] { return answers_.count(id) > 0 || page_lost_; });
    waiting_.erase(id);
    auto it = answers_.find(id);
    if (it == answers_.end()) {
      journal("PreviewCallUnanswered", {{"name", name}, {"sent", sent}, {"timedOut", sent && !answered}});
      return failure("the page did not answer");
    }
    PageCallResult result = std::move(it->second);
    answers_.erase(it);
    return result;
  }

 private:
  static PageCallResult failure(const std::string& why) { return PageCallResult{false, nullptr, why}; }

  // Waits for done(). On the window's thread the page's file requests are served meanwhile, since the
  // page may need a file before it can answer; nothing else runs there while native code waits.
  bool wait(std::unique_lock<std::mutex>& lock, HWND window, Clock::time_point deadline,
            const std::function<bool()>& done) {
    const bool serve = on_thread_of(window);
    while (!done()) {
      if (serve && !loads_.empty()) {
        std::function<void()> load = std::move(loads_.front());
        loads_.pop_front();
        lock.unlock();
        load();
        lock.lock();
        continue;
      }
      if (changed_.wait_until(lock, deadline) == std::cv_status::timeout) return done();
    }
    return true;
  }

  void serve_loads() {
    for (;;) {
      std::unique_lock lock(lock_);
      if (loads_.empty()) return;
      std::function<void()> load = std::move(loads_.front());
      loads_.pop_front();
      lock.unlock();
      load();
    }
  }

  void on_message(const json& message) {
    const std::string type = message.value("type", "");
    const json id = message.value("id", json());
    std::unique_lock lock(lock_);
    const HWND window = window_;
    if (type == "ready") {
      page_ready_ = true;
      page_lost_ = false;
      changed_.notify_all();
    } else if (type == "gone") {
      page_ready_ = false;
      page_lost_ = true;
      changed_.notify_all();
    } else if (type == "answer" && id.is_number_integer() && waiting_.count(id.get<int64_t>())) {
      answers_[id.get<int64_t>()] = PageCallResult{message.value("ok", false), message.value("value", json()),
                                                   message.value("error", std::string())};
      changed_.notify_all();
    } else if (type == "load" && window) {
      const std::wstring url = wide_from_utf8(message.value("url", ""));
      loads_.push_back([this, window, url, id] {
        const std::optional<std::string> data = request_url(window, url);
        send_message(*relay_, {{"type", "resource"},
                               {"id", id},
                               {"ok", data.has_value()},
                               {"data", data ? base64_encode(*data) : std::string()}});
      });
      changed_.notify_all();
      lock.unlock();
      run_on_window_thread(window, [this] { serve_loads(); });
    } else if (type == "native" && window) {
      lock.unlock();
      const std::string method = message.value("method", "");
      const json args = message.value("args", json::array());
      run_on_window_thread(window, [this, window, method, args, id] {
        const json result = call_native_method(window, "frame", method, args);
        journal("PageReceived", {{"method", method}, {"result", result}});
        send_message(*relay_, {{"type", "native-result"}, {"id", id}, {"result", result}});
      });
    } else if (type == "close" && window) {
      lock.unlock();
      run_on_window_thread(window, [window] { close_window(window); });
    }
  }

  const std::shared_ptr<RelayConnection> relay_;
  std::mutex lock_;
  std::condition_variable changed_;
  HWND window_ = nullptr;
  bool connected_ = true;
  bool page_ready_ = false;
  bool page_lost_ = false;
  int64_t next_id_ = 1;
  std::set<int64_t> waiting_;  // calls whose answer is still wanted; a late one is dropped
  std::map<int64_t, PageCallResult> answers_;
  std::deque<std::function<void()>> loads_;
};

}  // namespace

std::unique_ptr<Page> make_browser_page(std::shared_ptr<RelayConnection> relay) {
  return std::make_unique<BrowserPage>(std::move(relay));
}

}  // namespace standin
