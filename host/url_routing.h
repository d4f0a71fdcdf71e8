// Decides where a URL requested by the engine is answered from: a module resource ("res:"), an item of
// the UI archive ("this://app/"), or the engine itself, for its own built-in schemes only ("sciter:", the
// resources inside the engine, and "path:", vector paths in CSS). Every other URL is refused: the page runs
// with the tool's rights, so a web, file, data or home URL must never bring in a document or script that
// the program did not ship.
#pragma once

#include <string>
#include <string_view>

struct UrlRoute {
  enum Kind { Resource, ArchiveItem, EngineLoads, Refuse };
  Kind kind = Refuse;
  std::u16string name;  // resource name, or archive item path
  std::u16string type;  // resource type name; empty means the standard HTML resource type
};

// Patterns are matched case-sensitively against the whole URL.
UrlRoute route_url(std::u16string_view url);

// Longest resource name that fits the loader's 260-character buffer with its terminating zero.
inline constexpr size_t kMaxResourceName = 259;
