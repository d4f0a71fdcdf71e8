// The desktop's own shell for link_opening.h: the shell windows of this session, the desktop's folder
// view, and its Shell.Application object, whose ShellExecute runs in the shell's process, as the user
// signed in to the desktop, not as this elevated program.
#include <windows.h>

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <fmt/format.h>

#include "app/link_opening.h"

namespace {

template <class T>
struct Com {
  T* p = nullptr;
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() {
    if (p) p->Release();
  }
  T** out() { return &p; }
  void** outVoid() { return reinterpret_cast<void**>(&p); }
};

// An empty, a text or a number variant, cleared at the end.
struct Variant {
  VARIANT v;
  Variant() { VariantInit(&v); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v); }
  Variant& text(const std::wstring& value) {
    VariantClear(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    return *this;
  }
  Variant& number(int value) {
    VariantClear(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return *this;
  }
};

ShellAnswer noShell(const char* what, HRESULT result) {
  return {ShellAnswer::NoShell, fmt::format("{}: 0x{:08x}", what, static_cast<uint32_t>(result))};
}

class SystemDesktopShell : public DesktopShell {
 public:
  ShellAnswer open(const std::wstring& target, const std::wstring& folder) override {
    // The shell windows of this session; the system account and services have none.
    Com<IShellWindows> windows;
    HRESULT hr =
        CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, windows.outVoid());
    if (FAILED(hr)) return noShell("no shell windows", hr);
    Variant desktop, none;
    desktop.number(CSIDL_DESKTOP);
    long window = 0;
    Com<IDispatch> found;
    hr = windows.p->FindWindowSW(&desktop.v, &none.v, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, found.out());
    if (hr != S_OK || !found.p) return noShell("no desktop window", hr == S_OK ? E_POINTER : hr);

    Com<IServiceProvider> services;
    hr = found.p->QueryInterface(IID_IServiceProvider, services.outVoid());
    if (FAILED(hr)) return noShell("the desktop offers no services", hr);
    Com<IShellBrowser> browser;
    hr = services.p->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.outVoid());
    if (FAILED(hr)) return noShell("the desktop is no shell browser", hr);
    Com<IShellView> view;
    hr = browser.p->QueryActiveShellView(view.out());
    if (FAILED(hr) || !view.p) return noShell("the desktop shows no folder view", FAILED(hr) ? hr : E_POINTER);
    Com<IDispatch> background;
    hr = view.p->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.outVoid());
    if (FAILED(hr)) return noShell("the desktop's view has no automation object", hr);
    Com<IShellFolderViewDual> dual;
    hr = background.p->QueryInterface(IID_IShellFolderViewDual, dual.outVoid());
    if (FAILED(hr)) return noShell("the desktop's view has no automation object", hr);
    Com<IDispatch> application;
    hr = dual.p->get_Application(application.out());
    if (FAILED(hr) || !application.p)
      return noShell("the desktop's shell object is missing", FAILED(hr) ? hr : E_POINTER);
    Com<IShellDispatch2> shell;
    hr = application.p->QueryInterface(IID_IShellDispatch2, shell.outVoid());
    if (FAILED(hr)) return noShell("the desktop's shell cannot start anything", hr);

    BSTR file = SysAllocStringLen(target.data(), static_cast<UINT>(target.size()));
    Variant arguments, directory, verb, show;
    arguments.text(L"");
    if (!folder.empty()) directory.text(folder);  // an address needs none
    verb.text(L"open");
    show.number(SW_SHOWNORMAL);
    hr = shell.p->ShellExecute(file, arguments.v, directory.v, verb.v, show.v);
    SysFreeString(file);
    if (FAILED(hr)) return {ShellAnswer::Failed, fmt::format("0x{:08x}", static_cast<uint32_t>(hr))};
    return {ShellAnswer::Opened, {}};
  }
};

}  // namespace

DesktopShell& systemDesktopShell() {
  static SystemDesktopShell shell;
  return shell;
}
