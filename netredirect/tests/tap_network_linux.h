// Linux test plumbing for the end-to-end test: network namespaces of the test's own (gone with
// their last descriptor, at the latest when the process ends), TAP devices inside them, and a
// bridge that puts a stand-in adapter between a TAP device (the local stack's side) and a second
// one (the network's side).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "hardware_address.h"
#include "ipv4_address.h"
#include "stand_in_filter.h"

namespace brevan::netredirect::test {

// A descriptor that closes itself.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor();
  Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Descriptor& operator=(Descriptor&& other) noexcept;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

class NetworkNamespace {
 public:
  // A fresh namespace with only its loopback device (brought up); null with the reason in
  // `error` when the host does not allow one.
  static std::unique_ptr<NetworkNamespace> create(std::string& error);
  // Runs `body` on a thread inside the namespace; sockets and devices it makes belong there.
  void run(const std::function<void()>& body) const;
  // A socket of this namespace.
  Descriptor socket(int type) const;

 private:
  explicit NetworkNamespace(Descriptor fd) : fd_(std::move(fd)) {}
  Descriptor fd_;
};

class TapDevice {
 public:
  // A TAP device named `name` in `space`, up, with `address`/24. Throws on failure.
  TapDevice(const NetworkNamespace& space, const std::string& name, Ipv4 address);
  int fd() const { return fd_.get(); }
  const HardwareAddress& hardware() const { return hardware_; }

 private:
  Descriptor fd_;
  HardwareAddress hardware_{};
};

// Frames the local stack sends on `stack` arrive at `adapter` on their way to the network;
// frames of `network` arrive on their way up. What the adapter sends on is written to the
// device of its destination.
class TapBridge {
 public:
  TapBridge(StandInAdapter& adapter, const TapDevice& stack, const TapDevice& network);
  ~TapBridge();

 private:
  void pump(int fd, uint32_t flags);

  StandInAdapter& adapter_;
  std::atomic<bool> stop_{false};
  std::thread fromStack_, fromNetwork_;
};

}  // namespace brevan::netredirect::test
