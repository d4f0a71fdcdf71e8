// The window size that a document asks for, as the engine reads it: the attributes window-width and
// window-height of its root element, in dip (or px; both are pixels at 96 DPI here). A window created
// without a rectangle takes this size once its document has loaded.
#pragma once

#include <optional>
#include <string_view>

namespace standin {

struct WindowSize {
  std::optional<int> width;  // none: the attribute is absent or not a length this reader knows
  std::optional<int> height;
};

WindowSize window_size_in(std::string_view html);

}  // namespace standin
