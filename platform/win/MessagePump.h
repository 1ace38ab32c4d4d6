#pragma once
// Runs the calling thread's message loop: what a host's user-interface
// thread does for us, for a stand-alone driver or a test.

#include <cstdint>
#include <functional>

namespace fx {

class MessagePump {
 public:
  // Dispatches messages until done() is true (checked after every message
  // and at least every 10 ms) or timeoutMs has passed. Returns done().
  static bool RunUntil(const std::function<bool()>& done, std::uint32_t timeoutMs);
  // Dispatches messages for periodMs.
  static void RunFor(std::uint32_t periodMs);
};

}  // namespace fx
