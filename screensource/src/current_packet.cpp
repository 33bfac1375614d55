#include "current_packet.h"

#include <cstring>

namespace brevan::screensource {

void CurrentPacket::publish(const uint8_t* data, size_t size) {
  std::lock_guard<std::mutex> lock(mutex_);
  bytes_.assign(data, data + size);
}

size_t CurrentPacket::takeInto(uint8_t* out, size_t capacity) {
  std::lock_guard<std::mutex> lock(mutex_);
  const size_t size = bytes_.size();
  if (out == nullptr || capacity < size) return 0;
  if (size) std::memcpy(out, bytes_.data(), size);
  bytes_.clear();
  return size;
}

}  // namespace brevan::screensource
