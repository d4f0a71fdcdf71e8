#include <cstdint>

#include "text/encodings.h"

namespace text {
namespace {

bool isContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The smallest value each sequence length may carry: anything below is an overlong form of a shorter
// sequence, such as C0 BC for "<", which must never decode to the character it hides.
constexpr uint32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};

}  // namespace

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
    // A following byte that is not a continuation byte ends the sequence: "?" for what came before it,
    // and the byte itself is read afresh (a zero there ends the text).
    size_t taken = 1;
    while (taken <= follow && isContinuation(static_cast<uint8_t>(bytes[i + taken]))) {
      value = (value << 6) | (static_cast<uint8_t>(bytes[i + taken]) & 0x3F);
      ++taken;
    }
    if (taken <= follow) {
      out.push_back(u'?');
      i += taken;
      continue;
    }
    i += follow + 1;
    // Overlong forms, UTF-16 surrogates and values past U+10FFFF are not characters.
    if (value < kSmallest[follow] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
      out.push_back(u'?');
      continue;
    }
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
