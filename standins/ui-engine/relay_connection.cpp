#include "standins/ui-engine/relay_connection.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

#include "standins/ui-engine/preview_wire.h"

namespace standin {

struct RelayConnection {
  SOCKET socket = INVALID_SOCKET;
  std::mutex send_lock;
};

std::shared_ptr<RelayConnection> connect_relay(const std::string& address) {
  const std::optional<LoopbackAddress> target = parse_loopback_address(address);
  if (!target) return nullptr;
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) return nullptr;

  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return nullptr;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(target->host);
  to.sin_port = htons(target->port);
  if (::connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
    closesocket(s);
    return nullptr;
  }
  // Page calls are small and synchronous: waiting to fill a segment only adds latency.
  const BOOL no_delay = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&no_delay), sizeof no_delay);
  auto relay = std::make_shared<RelayConnection>();
  relay->socket = s;
  return relay;
}

bool send_message(RelayConnection& relay, const json& message) {
  const std::string line = message.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
  std::lock_guard guard(relay.send_lock);
  for (size_t sent = 0; sent < line.size();) {
    const int n = ::send(relay.socket, line.data() + sent, static_cast<int>(line.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

void receive_messages(RelayConnection& relay, const std::function<void(const json&)>& on_message) {
  std::string buffer;
  char chunk[16384];
  for (;;) {
    const int n = ::recv(relay.socket, chunk, sizeof chunk, 0);
    if (n <= 0) return;
    buffer.append(chunk, static_cast<size_t>(n));
    size_t start = 0;
    for (size_t end; (end = buffer.find('\n', start)) != std::string::npos; start = end + 1) {
      json message = json::parse(buffer.begin() + static_cast<std::ptrdiff_t>(start),
                                 buffer.begin() + static_cast<std::ptrdiff_t>(end), nullptr, false);
      if (!message.is_discarded()) on_message(message);
    }
    buffer.erase(0, start);
  }
}

}  // namespace standin
