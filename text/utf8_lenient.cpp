#include <cstdint>

#include "text/encodings.h"

namespace text {

std::u16string decode_utf8_lenient(std::string_view bytes) {
  std::u16string out;
  out.reserve(256);
  size_t i = 0;
  const size_t n = bytes.size();
  while (i < n) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    if (lead == 0) break;
    size_t follow;
    uint32_t value;
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      follow = 1;
      value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      follow = 2;
      value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      follow = 3;
      value = lead & 0x07;
    } else {
      out.push_back(u'?');
      ++i;
      continue;
    }
    if (i + follow >= n) {  // cut short by the end of the input
      out.push_back(u'?');
      break;
    }
    bool cut = false;
    for (size_t k = 1; k <= follow; ++k) {
      const auto b = static_cast<uint8_t>(bytes[i + k]);
      if (b == 0) {  // the text ends inside the sequence
        cut = true;
        break;
      }
      value = (value << 6) | (b & 0x3F);
    }
    if (cut) {
      out.push_back(u'?');
      break;
    }
    i += follow + 1;
    if (follow == 2 && value == 0xFEFF && out.empty()) continue;
    if (follow == 3) {
      out.push_back(static_cast<char16_t>((value >> 10) + 0xD7C0));
      out.push_back(static_cast<char16_t>((value & 0x3FF) | 0xDC00));
    } else {
      out.push_back(static_cast<char16_t>(value));
    }
  }
  return out;
}

}  // namespace text
