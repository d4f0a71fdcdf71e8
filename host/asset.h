// Reference-counted native objects in the engine's object model: a som_asset_t header whose class table
// forwards to virtual operations, and a counted handle that keeps such an object alive.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>

#include "host/sciter_abi.h"

namespace sciter::om {

using abi::som_asset_class_t;
using abi::som_asset_t;
using abi::som_passport_t;

// The engine asks an asset for this interface to check that it is one.
inline constexpr const char* kAssetInterfaceName = "asset.sciter.com";

template <class R>
class iasset : public som_asset_t {
 public:
  iasset() { isa = &class_table; }
  virtual long asset_add_ref() = 0;
  virtual long asset_release() = 0;
  virtual long asset_get_interface(const char* name, void** out) = 0;
  virtual som_passport_t* asset_get_passport() = 0;
  virtual ~iasset() = default;
  virtual void asset_finalize() = 0;

  static iasset* from_header(som_asset_t* header) { return static_cast<iasset*>(header); }

 private:
  static long thunk_add_ref(som_asset_t* thing) { return from_header(thing)->asset_add_ref(); }
  static long thunk_release(som_asset_t* thing) { return from_header(thing)->asset_release(); }
  static long thunk_get_interface(som_asset_t* thing, const char* name, void** out) {
    return from_header(thing)->asset_get_interface(name, out);
  }
  static som_passport_t* thunk_get_passport(som_asset_t* thing) { return from_header(thing)->asset_get_passport(); }
  static inline som_asset_class_t class_table = {&thunk_add_ref, &thunk_release, &thunk_get_interface,
                                                 &thunk_get_passport};
};

template <class R>
class asset : public iasset<asset<R>> {
 public:
  long asset_add_ref() override { return ++ref_count_; }
  long asset_release() override {
    const long left = --ref_count_;
    if (left == 0) asset_finalize();
    return left;
  }
  long asset_get_interface(const char* name, void** out) override {
    if (!name || std::strcmp(name, kAssetInterfaceName) != 0) return false;
    asset_add_ref();
    if (out) *out = static_cast<som_asset_t*>(this);
    return true;
  }
  som_passport_t* asset_get_passport() override { return nullptr; }
  void asset_finalize() override { delete this; }

 private:
  std::atomic<int32_t> ref_count_{0};
};

// A counted reference: takes one on acquisition, gives it back on release or destruction.
template <class T>
class hasset {
 public:
  hasset() = default;
  explicit hasset(T* p) : p_(p) {
    if (p_) p_->asset_add_ref();
  }
  hasset(const hasset& o) : hasset(o.p_) {}
  hasset& operator=(const hasset& o) {
    if (o.p_) o.p_->asset_add_ref();
    if (p_) p_->asset_release();
    p_ = o.p_;
    return *this;
  }
  ~hasset() {
    if (p_) p_->asset_release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

}  // namespace sciter::om
