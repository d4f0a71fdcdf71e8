// The engine's side of the preview relay: one TCP connection on the loopback interface that carries one
// JSON message a line in each direction.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "standins/ui-engine/values.h"

namespace standin {

struct RelayConnection;

// Connects to the relay at "127.0.0.1:port"; null when the address is not a loopback one or no one listens.
std::shared_ptr<RelayConnection> connect_relay(const std::string& address);

// Any thread; false once the connection is gone.
bool send_message(RelayConnection& relay, const json& message);

// Hands every message that arrives to on_message, in order, until the relay closes the connection.
void receive_messages(RelayConnection& relay, const std::function<void(const json&)>& on_message);

}  // namespace standin
