#include "utf16.h"

#include <cstdint>

namespace uiarchive {
namespace {

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }
bool is_high_surrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// How a lead byte opens a sequence: continuation bytes that follow, its own payload bits, and the
// smallest code point that needs this many bytes (anything below is an overlong form).
struct LeadForm {
  std::size_t extra;
  unsigned char payload_mask;
  char32_t smallest;
};

std::optional<LeadForm> lead_form(unsigned char lead) {
  if (lead < 0x80) return LeadForm{0, 0x7F, 0};
  if ((lead & 0xE0) == 0xC0) return LeadForm{1, 0x1F, 0x80};
  if ((lead & 0xF0) == 0xE0) return LeadForm{2, 0x0F, 0x800};
  if ((lead & 0xF8) == 0xF0) return LeadForm{3, 0x07, 0x10000};
  return std::nullopt;
}

void append_utf8(std::string& out, char32_t cp) {
  auto put = [&out](std::uint32_t byte) { out.push_back(static_cast<char>(byte)); };
  if (cp < 0x80) {
    put(cp);
  } else if (cp < 0x800) {
    put(0xC0 | (cp >> 6));
    put(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    put(0xE0 | (cp >> 12));
    put(0x80 | ((cp >> 6) & 0x3F));
    put(0x80 | (cp & 0x3F));
  } else {
    put(0xF0 | (cp >> 18));
    put(0x80 | ((cp >> 12) & 0x3F));
    put(0x80 | ((cp >> 6) & 0x3F));
    put(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::optional<std::u16string> utf16_from_utf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const auto form = lead_form(lead);
    if (!form) return std::nullopt;
    const std::size_t extra = form->extra;
    const char32_t smallest = form->smallest;
    char32_t cp = lead & form->payload_mask;
    if (extra > text.size() - i - 1) return std::nullopt;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      if (!is_continuation(c)) return std::nullopt;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < smallest || cp > 0x10FFFF || is_high_surrogate(cp) || is_low_surrogate(cp)) return std::nullopt;

    if (cp < 0x10000) {
      out.push_back(static_cast<char16_t>(cp));
    } else {
      const char32_t v = cp - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    }
    i += extra + 1;
  }
  return out;
}

std::optional<std::string> utf8_from_utf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = text[i];
    if (is_low_surrogate(unit)) return std::nullopt;
    if (!is_high_surrogate(unit)) {
      append_utf8(out, unit);
      continue;
    }
    if (i + 1 >= text.size() || !is_low_surrogate(text[i + 1])) return std::nullopt;
    const char32_t low = text[++i];
    append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
  }
  return out;
}

}  // namespace uiarchive
