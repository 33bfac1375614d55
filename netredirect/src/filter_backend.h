// The packet-filter library as the redirector uses it: list the TCP/IP-bound adapters and, per
// adapter, take frames with their direction, hand them on to the network or up to the local
// stack, signal when frames wait, switch the filtering mode and flush the queue. The real
// backend reaches the filter driver; a stand-in with in-process adapters serves tests and tools.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frame.h"

namespace brevan::netredirect {

// Filtering modes of an adapter.
constexpr uint32_t kModeNone = 0;    // frames go their way without the filter
constexpr uint32_t kModeTunnel = 3;  // frames in both directions wait in the filter's queue

struct AdapterEntry {
  std::string name;     // the name bytes as the library reports them, up to the first zero
  uint64_t handle = 0;  // the library's adapter handle, opaque here
};

// One adapter's frame path, used by that adapter's worker (and by the exit clean-up). Every
// method may be called from any thread.
class AdapterPort {
 public:
  virtual ~AdapterPort() = default;
  // Makes the notification event and registers it; false when either fails.
  virtual bool attach() = 0;
  // Unregisters and closes the event; only the first call does anything.
  virtual void detach() = 0;
  virtual void setMode(uint32_t mode) = 0;
  // Waits until frames are signalled or `limit` passes, then resets the signal; true when
  // signalled.
  virtual bool waitForFrames(std::chrono::milliseconds limit) = 0;
  // Signals the event so that a waiting worker looks at its stop flag at once.
  virtual void wake() = 0;
  // Takes the next queued frame; false when none waits.
  virtual bool read(FrameBuffer& buffer) = 0;
  // Hands the frame on: to the network when its flags are kToNetwork, else up to the stack.
  virtual void send(const FrameBuffer& buffer) = 0;
  virtual void flush() = 0;
};

class FilterBackend {
 public:
  virtual ~FilterBackend() = default;
  virtual bool driverLoaded() = 0;
  // At most 32 adapters; false when the query fails.
  virtual bool listAdapters(std::vector<AdapterEntry>& adapters) = 0;
  virtual std::unique_ptr<AdapterPort> port(const AdapterEntry& adapter) = 0;
};

constexpr size_t kMaxAdapters = 32;
constexpr size_t kAdapterNameBytes = 256;

}  // namespace brevan::netredirect
