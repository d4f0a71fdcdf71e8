#include "standins/ui-engine/window_size.h"

#include <cmath>
#include <regex>
#include <string>

namespace standin {
namespace {

std::optional<int> length_in_pixels(const std::string& root, const char* attribute) {
  const std::regex pattern(
      std::string(R"re(\s)re") + attribute + R"re(\s*=\s*"\s*([0-9]+(?:\.[0-9]+)?)\s*(dip|px)?\s*")re",
      std::regex::icase);
  std::smatch found;
  if (!std::regex_search(root, found, pattern)) return std::nullopt;
  return static_cast<int>(std::lround(std::stod(found[1].str())));
}

}  // namespace

WindowSize window_size_in(std::string_view html) {
  static const std::regex root_tag(R"re(<html\b[^>]*>)re", std::regex::icase);
  const std::string text(html);
  std::smatch found;
  if (!std::regex_search(text, found, root_tag)) return {};
  const std::string root = found[0].str();
  return {length_in_pixels(root, "window-width"), length_in_pixels(root, "window-height")};
}

}  // namespace standin
