// The one packet the library offers Java at a time: the packet thread that delivered last
// publishes it, and Java copies it out from inside the notification.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace brevan::screensource {

class CurrentPacket {
 public:
  void publish(const uint8_t* data, size_t size);
  // Copies the packet into `out` and empties it. An `out` too small for the whole packet gets
  // nothing and the packet stays. The length copied (0 when there was none).
  size_t takeInto(uint8_t* out, size_t capacity);

 private:
  mutable std::mutex mutex_;  // two sending sources publish from their own threads
  std::vector<uint8_t> bytes_;
};

}  // namespace brevan::screensource
