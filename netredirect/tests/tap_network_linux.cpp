#include "tap_network_linux.h"

#include <fcntl.h>
#include <linux/if.h>
#include <linux/if_tun.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace brevan::netredirect::test {
namespace {

std::string lastError(const std::string& what) { return what + ": " + std::strerror(errno); }

void setAddress(int sock, ifreq& request, unsigned long command, Ipv4 address) {
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = htonl(address.value);
  std::memcpy(&request.ifr_addr, &in, sizeof in);
  if (ioctl(sock, command, &request) != 0) throw std::runtime_error(lastError("address"));
}

void bringUp(int sock, const char* name) {
  ifreq request{};
  std::strncpy(request.ifr_name, name, IFNAMSIZ - 1);
  if (ioctl(sock, SIOCGIFFLAGS, &request) != 0) throw std::runtime_error(lastError("flags"));
  request.ifr_flags |= IFF_UP | IFF_RUNNING;
  if (ioctl(sock, SIOCSIFFLAGS, &request) != 0) throw std::runtime_error(lastError("up"));
}

}  // namespace

Descriptor::~Descriptor() {
  if (fd_ >= 0) close(fd_);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

std::unique_ptr<NetworkNamespace> NetworkNamespace::create(std::string& error) {
  int fd = -1;
  // Namespaces belong to threads: a thread of its own enters the new one and leaves it with
  // its end, the descriptor keeps it.
  std::thread([&] {
    if (unshare(CLONE_NEWNET) != 0) {
      error = lastError("unshare(CLONE_NEWNET)");
      return;
    }
    fd = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    if (fd < 0) error = lastError("open /proc/thread-self/ns/net");
  }).join();
  if (fd < 0) return nullptr;
  std::unique_ptr<NetworkNamespace> space(new NetworkNamespace(Descriptor(fd)));
  std::string failure;
  space->run([&] {
    Descriptor sock(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    try {
      bringUp(sock.get(), "lo");
    } catch (const std::exception& e) {
      failure = e.what();
    }
  });
  if (!failure.empty()) {
    error = failure;
    return nullptr;
  }
  return space;
}

void NetworkNamespace::run(const std::function<void()>& body) const {
  std::string failure;
  std::thread([&] {
    if (setns(fd_.get(), CLONE_NEWNET) != 0) {
      failure = lastError("setns");
      return;
    }
    body();
  }).join();
  if (!failure.empty()) throw std::runtime_error(failure);
}

Descriptor NetworkNamespace::socket(int type) const {
  int fd = -1;
  run([&] { fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0); });
  if (fd < 0) throw std::runtime_error(lastError("socket"));
  return Descriptor(fd);
}

TapDevice::TapDevice(const NetworkNamespace& space, const std::string& name, Ipv4 address) {
  std::string failure;
  space.run([&] {
    try {
      // The device is made in the namespace of the thread that opens the clone device.
      fd_ = Descriptor(open("/dev/net/tun", O_RDWR | O_CLOEXEC));
      if (!fd_.valid()) throw std::runtime_error(lastError("open /dev/net/tun"));
      ifreq request{};
      std::strncpy(request.ifr_name, name.c_str(), IFNAMSIZ - 1);
      request.ifr_flags = IFF_TAP | IFF_NO_PI;
      if (ioctl(fd_.get(), TUNSETIFF, &request) != 0) throw std::runtime_error(lastError("TUNSETIFF"));
      Descriptor sock(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
      setAddress(sock.get(), request, SIOCSIFADDR, address);
      setAddress(sock.get(), request, SIOCSIFNETMASK, Ipv4::fromOctets(255, 255, 255, 0));
      bringUp(sock.get(), name.c_str());
      if (ioctl(sock.get(), SIOCGIFHWADDR, &request) != 0) throw std::runtime_error(lastError("hwaddr"));
      std::memcpy(hardware_.data(), request.ifr_hwaddr.sa_data, 6);
    } catch (const std::exception& e) {
      failure = e.what();
    }
  });
  if (!failure.empty()) throw std::runtime_error(name + ": " + failure);
}

TapBridge::TapBridge(StandInAdapter& adapter, const TapDevice& stack, const TapDevice& network)
    : adapter_(adapter) {
  const int stackFd = stack.fd();
  const int networkFd = network.fd();
  adapter_.setSink([stackFd, networkFd](uint32_t destination, const uint8_t* frame, size_t length) {
    const ssize_t written = write(destination == kToNetwork ? networkFd : stackFd, frame, length);
    (void)written;  // a frame the device refuses is lost, as on a wire
  });
  fromStack_ = std::thread([this, stackFd] { pump(stackFd, kToNetwork); });
  fromNetwork_ = std::thread([this, networkFd] { pump(networkFd, kToStack); });
}

TapBridge::~TapBridge() {
  stop_.store(true);
  fromStack_.join();
  fromNetwork_.join();
  adapter_.setSink(nullptr);
}

void TapBridge::pump(int fd, uint32_t flags) {
  std::vector<uint8_t> frame(65536);
  while (!stop_.load()) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 50) <= 0) continue;
    const ssize_t length = read(fd, frame.data(), frame.size());
    if (length > 0) adapter_.arrive(flags, frame.data(), size_t(length));
  }
}

}  // namespace brevan::netredirect::test
