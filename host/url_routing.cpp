#include "host/url_routing.h"

namespace {

bool starts_with(std::u16string_view s, std::u16string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool equals_ignoring_ascii_case(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

UrlRoute route_resource(std::u16string_view name) {
  if (name.empty()) return {UrlRoute::Refuse, {}, {}};
  if (starts_with(name, u"res:")) name.remove_prefix(4);
  if (starts_with(name, u"//")) name.remove_prefix(2);
  // The loader copies the name into a fixed buffer; a name that does not fit is refused, never cut.
  if (name.size() > kMaxResourceName) return {UrlRoute::Refuse, {}, {}};
  UrlRoute route{UrlRoute::Resource, std::u16string(name), {}};
  const size_t dot = name.rfind(u'.');
  if (dot != std::u16string_view::npos) {
    route.name = std::u16string(name.substr(0, dot));
    std::u16string_view type = name.substr(dot + 1);
    if (!equals_ignoring_ascii_case(type, u"HTML") && !equals_ignoring_ascii_case(type, u"HTM"))
      route.type = std::u16string(type);
  }
  return route;
}

}  // namespace

UrlRoute route_url(std::u16string_view url) {
  if (starts_with(url, u"res:")) return route_resource(url.substr(4));
  if (starts_with(url, u"this://app/")) {
    std::u16string_view path = url.substr(11);
    if (starts_with(path, u"//")) path.remove_prefix(2);
    return {UrlRoute::ArchiveItem, std::u16string(path), {}};
  }
  if (starts_with(url, u"sciter:") || starts_with(url, u"path:")) return {UrlRoute::EngineLoads, {}, {}};
  return {UrlRoute::Refuse, {}, {}};
}
