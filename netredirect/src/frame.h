// One Ethernet frame in flight, with the direction the filter reports for it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brevan::netredirect {

// Direction flags as the filter library reports and takes them.
constexpr uint32_t kToNetwork = 1;  // from the local stack on its way to the network
constexpr uint32_t kToStack = 2;    // from the network on its way up to the local stack

// The largest frame the filter hands over (1500 bytes of payload and the Ethernet header).
constexpr size_t kMaxFrameLength = 1514;

struct Frame {
  uint32_t flags = 0;
  uint8_t* data = nullptr;
  size_t length = 0;
};

// A frame with its own storage, as a worker keeps one and reuses it for every frame.
struct FrameBuffer {
  uint32_t flags = 0;
  uint32_t length = 0;
  uint8_t data[kMaxFrameLength] = {};

  Frame view() { return Frame{flags, data, length}; }
};

}  // namespace brevan::netredirect
