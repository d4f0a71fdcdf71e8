// Real Win32 windows for the program, with the engine's handling of their life: closing a window detaches
// its event handler, reports the engine's destruction to the host, and ends the loop for a main window.
#include <algorithm>
#include <map>
#include <mutex>

#include "standins/ui-engine/engine_actions.h"
#include "standins/ui-engine/engine_state.h"
#include "standins/ui-engine/journal.h"
#include "standins/ui-engine/window_size.h"

namespace standin {
namespace {

constexpr UINT kRunOnWindowThread = WM_APP + 0x51;
constexpr wchar_t kWindowClass[] = L"StandinEngineWindow";
// The engine's own size for a window whose document does not say.
constexpr int kDefaultWidth = 800, kDefaultHeight = 570;

std::mutex& windows_lock() {
  static auto* lock = new std::mutex();
  return *lock;
}
std::map<HWND, WindowRecord>& windows() {
  static auto* map = new std::map<HWND, WindowRecord>();
  return *map;
}

void on_destroyed(HWND hwnd) {
  const std::optional<WindowRecord> record = find_window(hwnd);
  journal("WindowDestroyed");
  if (!record) return;
  if (record->event_proc) {
    abi::INITIALIZATION_PARAMS detach{abi::BEHAVIOR_DETACH};
    record->event_proc(record->event_tag, nullptr, abi::HANDLE_INITIALIZATION, &detach);
  }
  if (record->host_callback) {
    abi::SCITER_CALLBACK_NOTIFICATION destroyed{abi::SC_ENGINE_DESTROYED, hwnd};
    record->host_callback(&destroyed, record->host_param);
  }
  forget_window(hwnd);
  if (record->flags & abi::SW_MAIN) PostQuitMessage(0);
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRunOnWindowThread) {
    auto* work = reinterpret_cast<std::function<void()>*>(lparam);
    (*work)();
    delete work;
    return 0;
  }
  if (const std::optional<WindowRecord> record = find_window(hwnd); record && record->delegate) {
    abi::SBOOL handled = false;
    const LRESULT result = record->delegate(hwnd, message, wparam, lparam, record->delegate_param, &handled);
    if (handled) return result;
  }
  switch (message) {
    case WM_SHOWWINDOW:
      journal(wparam ? "WindowShown" : "WindowHidden");
      return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      on_destroyed(hwnd);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

void register_class() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

std::optional<WindowRecord> find_window(HWND window) {
  std::lock_guard guard(windows_lock());
  auto it = windows().find(window);
  if (it == windows().end()) return std::nullopt;
  return it->second;
}

void update_window(HWND window, const WindowRecord& record) {
  std::lock_guard guard(windows_lock());
  windows()[window] = record;
}

void forget_window(HWND window) {
  std::lock_guard guard(windows_lock());
  windows().erase(window);
}

HWND create_engine_window(UINT flags, const RECT* frame, abi::SciterWindowDelegate delegate, void* param, HWND parent) {
  register_class();
  DWORD style = WS_CLIPCHILDREN;
  if (flags & abi::SW_TITLEBAR) style |= WS_CAPTION | WS_SYSMENU;
  if (flags & abi::SW_RESIZEABLE) style |= WS_THICKFRAME;
  if (flags & abi::SW_CONTROLS) style |= WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  const int x = frame ? frame->left : CW_USEDEFAULT, y = frame ? frame->top : CW_USEDEFAULT;
  const int w = frame ? std::max(0L, frame->right - frame->left) : kDefaultWidth;
  const int h = frame ? std::max(0L, frame->bottom - frame->top) : kDefaultHeight;
  HWND hwnd =
      CreateWindowExW(0, kWindowClass, L"", style, x, y, w, h, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return nullptr;
  update_window(
      hwnd, WindowRecord{
                .flags = flags, .delegate = delegate, .delegate_param = param, .sized_by_document = frame == nullptr});
  if (frame) journal("WindowSized", {{"width", w}, {"height", h}, {"from", "rectangle"}});
  return hwnd;
}

void size_from_document(HWND window, const std::string& html) {
  std::optional<WindowRecord> record = find_window(window);
  if (!record || !record->sized_by_document) return;
  record->sized_by_document = false;  // the first document decides, as the window opens
  update_window(window, *record);
  const WindowSize asked = window_size_in(html);
  const int w = asked.width.value_or(kDefaultWidth), h = asked.height.value_or(kDefaultHeight);
  SetWindowPos(window, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  journal("WindowSized", {{"width", w}, {"height", h}, {"from", asked.width && asked.height ? "document" : "default"}});
}

void run_on_window_thread(HWND window, std::function<void()> work) {
  auto* queued = new std::function<void()>(std::move(work));
  if (!PostMessageW(window, kRunOnWindowThread, 0, reinterpret_cast<LPARAM>(queued))) delete queued;
}

void close_window(HWND window) {
  journal("UserClosesWindow");
  PostMessageW(window, WM_CLOSE, 0, 0);
}

}  // namespace standin
