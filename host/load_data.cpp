// Answers the engine's requests for document data: module resources and items of the UI archive.
#include <string>

#include "host/app_archive.h"
#include "host/engine_binding.h"
#include "host/module_instance.h"
#include "host/url_routing.h"
#include "host/window.h"

namespace sciter {
namespace {

abi::UINT supply(const abi::SCN_LOAD_DATA* request, const uint8_t* data, abi::UINT length) {
  api().SciterDataReady(request->hwnd, request->uri, data, length);
  return abi::LOAD_OK;
}

abi::UINT load_resource(const abi::SCN_LOAD_DATA* request, const UrlRoute& route) {
  const auto* name = reinterpret_cast<const wchar_t*>(route.name.c_str());
  const wchar_t* type = route.type.empty() ? RT_HTML : reinterpret_cast<const wchar_t*>(route.type.c_str());
  HMODULE module = module_instance();
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return abi::LOAD_DISCARD;
  HGLOBAL loaded = LoadResource(module, found);
  if (!loaded) return abi::LOAD_DISCARD;
  const void* bytes = LockResource(loaded);
  const DWORD size = SizeofResource(module, found);
  if (!bytes || size == 0) return abi::LOAD_DISCARD;
  return supply(request, static_cast<const uint8_t*>(bytes), size);
}

abi::UINT load_archive_item(const abi::SCN_LOAD_DATA* request, const UrlRoute& route) {
  const uint8_t* data = nullptr;
  abi::UINT length = 0;
  api().SciterGetArchiveItem(app_archive::handle(), reinterpret_cast<const wchar_t*>(route.name.c_str()), &data,
                             &length);
  if (length == 0) return abi::LOAD_DISCARD;
  return supply(request, data, length);
}

}  // namespace

abi::UINT window::on_load_data(abi::SCN_LOAD_DATA* request) {
  if (!request || !request->uri) return abi::LOAD_DISCARD;
  const UrlRoute route = route_url(reinterpret_cast<const char16_t*>(request->uri));
  switch (route.kind) {
    case UrlRoute::Refuse:
      return abi::LOAD_DISCARD;
    case UrlRoute::Resource:
      return load_resource(request, route);
    case UrlRoute::ArchiveItem:
      return load_archive_item(request, route);
    case UrlRoute::EngineLoads:
      break;
  }
  return abi::LOAD_OK;
}

}  // namespace sciter
