#include "standins/ui-engine/preview_wire.h"

#include <charconv>

namespace standin {
namespace {

std::optional<uint32_t> number_in(std::string_view text, uint32_t max) {
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
  return value;
}

}  // namespace

std::optional<LoopbackAddress> parse_loopback_address(std::string_view text) {
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::optional<uint32_t> port = number_in(text.substr(colon + 1), 65535);
  if (!port || *port == 0) return std::nullopt;

  std::string_view host = text.substr(0, colon);
  if (host == "localhost") host = "127.0.0.1";
  uint32_t address = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t dot = part < 3 ? host.find('.') : host.size();
    if (dot == std::string_view::npos) return std::nullopt;
    const std::optional<uint32_t> byte = number_in(host.substr(0, dot), 255);
    if (!byte) return std::nullopt;
    address = address << 8 | *byte;
    host = part < 3 ? host.substr(dot + 1) : std::string_view();
  }
  if ((address >> 24) != 127) return std::nullopt;
  return LoopbackAddress{address, static_cast<uint16_t>(*port)};
}

std::string base64_encode(std::string_view bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k) group = group << 8 | (k < n ? static_cast<uint8_t>(bytes[i + k]) : 0u);
    for (size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

}  // namespace standin
