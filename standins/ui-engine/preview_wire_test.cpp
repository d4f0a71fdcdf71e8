#include "standins/ui-engine/preview_wire.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

TEST(PreviewWire, LoopbackAddresses) {
  struct Case {
    const char* text;
    bool accepted;
    uint32_t host;
    uint16_t port;
  };
  const Case cases[] = {
      {"127.0.0.1:5000", true, 0x7F000001, 5000},
      {"127.1.2.3:65535", true, 0x7F010203, 65535},
      {"localhost:80", true, 0x7F000001, 80},
      {"10.0.0.1:5000", false, 0, 0},
      {"192.168.1.1:80", false, 0, 0},
      {"127.0.0.1", false, 0, 0},
      {"127.0.0.1:0", false, 0, 0},
      {"127.0.0.1:65536", false, 0, 0},
      {"127.0.0:80", false, 0, 0},
      {"127.0.0.256:80", false, 0, 0},
      {"127.0.0.1.5:80", false, 0, 0},
      {"127.0.0.1:80x", false, 0, 0},
      {"", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<LoopbackAddress> address = parse_loopback_address(c.text);
    ASSERT_EQ(address.has_value(), c.accepted);
    if (!address) continue;
    EXPECT_EQ(address->host, c.host);
    EXPECT_EQ(address->port, c.port);
  }
}

TEST(PreviewWire, Base64) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {std::string("\x00\xff\xfe\x80", 4), "AP/+gA=="},
      {"<html>\n", "PGh0bWw+Cg=="},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(base64_encode(bytes), text) << text;
}

}  // namespace
}  // namespace standin
