#include "host/frame.h"

#include "host/engine_binding.h"
#include "host/native_method.h"
#include "host/text_conversions.h"

using namespace sciter;

sciter::om::hasset<frame> frame::create_main() {
  auto* object = new frame();
  om::hasset<frame> held(object);
  object->create(kMainWindowFlags);
  return held;
}

frame* frame::from_asset(abi::som_asset_t* header) {
  if (!header) return nullptr;
  return static_cast<frame*>(static_cast<event_handler*>(om::asset<event_handler>::from_header(header)));
}

namespace {

// Calls one method of frame for the page. A runtime error (a thread that cannot start, a failing page
// call) reaches the page as an error value instead of leaving the engine through foreign frames.
template <void (frame::*Method)()>
abi::SBOOL method_thunk(abi::som_asset_t* thing, abi::UINT, const abi::VALUE*, abi::VALUE* result) {
  const value out = run_native_method([thing] {
    if (frame* self = frame::from_asset(thing)) (self->*Method)();
  });
  if (result) api().ValueCopy(result, out.raw());
  return true;
}

// OpenLink(target): the one method that reads an argument, a string; anything else reaches the method as an
// empty target, which it refuses.
abi::SBOOL open_link_thunk(abi::som_asset_t* thing, abi::UINT argc, const abi::VALUE* argv, abi::VALUE* result) {
  std::wstring target;
  if (argc >= 1 && argv) {
    value given;
    api().ValueCopy(given.raw(), &argv[0]);
    target = value_to_wstring(given);
  }
  const value out = run_native_method([thing, &target] {
    if (frame* self = frame::from_asset(thing)) self->OpenLink(target);
  });
  if (result) api().ValueCopy(result, out.raw());
  return true;
}

abi::som_passport_t& frame_passport() {
  static abi::som_passport_t passport = [] {
    static abi::som_method_def_t methods[] = {
        {nullptr, api().SciterAtomValue("DecryptWrapper"), 0, &method_thunk<&frame::DecryptWrapper>},
        {nullptr, api().SciterAtomValue("StopDecryption"), 0, &method_thunk<&frame::StopDecryption>},
        {nullptr, api().SciterAtomValue("OpenLink"), 1, &open_link_thunk},
    };
    abi::som_passport_t p{};
    p.methods = methods;
    p.n_methods = sizeof methods / sizeof methods[0];
    return p;
  }();
  return passport;
}

}  // namespace

abi::som_passport_t* frame::asset_get_passport() {
  abi::som_passport_t& passport = frame_passport();
  passport.name = api().SciterAtomValue("frame");
  return &passport;
}

bool frame::handle_som(void*, abi::SOM_PARAMS* params) {
  if (!params) return false;
  switch (params->cmd) {
    case abi::SOM_GET_PASSPORT:
      params->data = asset_get_passport();
      return true;
    case abi::SOM_GET_ASSET:
      params->data = static_cast<abi::som_asset_t*>(static_cast<om::asset<event_handler>*>(this));
      return true;
    default:
      return false;
  }
}

void frame::DecryptWrapper() {
  if (methods_) methods_->DecryptWrapper();
}

void frame::StopDecryption() {
  if (methods_) methods_->StopDecryption();
}

void frame::OpenLink(const std::wstring& target) {
  if (methods_) methods_->OpenLink(target);
}
