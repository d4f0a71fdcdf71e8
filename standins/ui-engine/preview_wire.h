// What the preview's engine side needs to speak to its relay, free of any Windows API: where the relay
// listens, and how bytes travel inside the JSON messages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace standin {

struct LoopbackAddress {
  uint32_t host = 0;  // in host byte order, always 127.x.y.z
  uint16_t port = 0;
};

// "127.0.0.1:5000" and the like; anything that would leave the machine is refused.
std::optional<LoopbackAddress> parse_loopback_address(std::string_view text);

std::string base64_encode(std::string_view bytes);

}  // namespace standin
