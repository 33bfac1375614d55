// The real worker and processor over TAP devices in network namespaces made by the test: real
// TCP and UDP of the Linux stack through the local and remote rules, then a plain connection
// after the translator stopped. Nothing leaves the namespaces: they hold only loopback and the
// test's TAP devices, whose other ends are this process.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstring>

#include "tap_network_linux.h"
#include "testsupport/wait.h"
#include "translator.h"

namespace brevan::netredirect::test {
namespace {

using namespace std::chrono_literals;
using brevan::testsupport::waitUntil;

const Ipv4 kRemoteHost = Ipv4::fromOctets(100, 100, 100, 50);

struct SocketAddress {
  Ipv4 address;
  uint16_t port = 0;
  bool operator==(const SocketAddress& o) const { return address == o.address && port == o.port; }
};
std::ostream& operator<<(std::ostream& out, const SocketAddress& a) {
  return out << toText(a.address) << ":" << a.port;
}

sockaddr_in toSockaddr(SocketAddress a) {
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = htonl(a.address.value);
  in.sin_port = htons(a.port);
  return in;
}
SocketAddress fromSockaddr(const sockaddr_in& in) {
  return {Ipv4{ntohl(in.sin_addr.s_addr)}, ntohs(in.sin_port)};
}

SocketAddress nameOf(int fd, bool peer) {
  sockaddr_in in{};
  socklen_t length = sizeof in;
  const int result = peer ? getpeername(fd, reinterpret_cast<sockaddr*>(&in), &length)
                          : getsockname(fd, reinterpret_cast<sockaddr*>(&in), &length);
  return result == 0 ? fromSockaddr(in) : SocketAddress{};
}

// Every wait on a socket of the test is bounded.
Descriptor boundedSocket(const NetworkNamespace& space, int type) {
  Descriptor fd = space.socket(type);
  timeval limit{5, 0};
  setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  return fd;
}

// Bound (and for TCP listening) when it returns: clients need not wait for it.
Descriptor listening(const NetworkNamespace& space, int type, uint16_t port) {
  Descriptor fd = boundedSocket(space, type);
  const int on = 1;
  setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in any = toSockaddr({Ipv4{}, port});
  EXPECT_EQ(bind(fd.get(), reinterpret_cast<sockaddr*>(&any), sizeof any), 0) << std::strerror(errno);
  if (type == SOCK_STREAM) {
    EXPECT_EQ(listen(fd.get(), 4), 0) << std::strerror(errno);
  }
  return fd;
}

std::string receive(int fd, SocketAddress* from = nullptr) {
  char buffer[256];
  sockaddr_in in{};
  socklen_t length = sizeof in;
  const ssize_t n = recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&in), &length);
  if (from && n >= 0) *from = fromSockaddr(in);
  return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

void sendText(int fd, const std::string& text, const SocketAddress* to = nullptr) {
  sockaddr_in in{};
  if (to) in = toSockaddr(*to);
  ASSERT_EQ(sendto(fd, text.data(), text.size(), 0, to ? reinterpret_cast<sockaddr*>(&in) : nullptr,
                   to ? sizeof in : 0),
            ssize_t(text.size()))
      << std::strerror(errno);
}

// A TCP connection from `client` space to `to`, accepted by `server`: the accepting side sees
// `expectedPeer` (with the client's own port), the client sees `to`; bytes go both ways.
void connectThrough(const NetworkNamespace& client, int server, SocketAddress to, Ipv4 expectedPeer) {
  SCOPED_TRACE(::testing::Message() << "TCP to " << to);
  Descriptor socket = boundedSocket(client, SOCK_STREAM);
  sockaddr_in target = toSockaddr(to);
  ASSERT_EQ(connect(socket.get(), reinterpret_cast<sockaddr*>(&target), sizeof target), 0)
      << std::strerror(errno);
  Descriptor accepted(accept(server, nullptr, nullptr));
  ASSERT_TRUE(accepted.valid()) << std::strerror(errno);
  EXPECT_EQ(nameOf(accepted.get(), true), (SocketAddress{expectedPeer, nameOf(socket.get(), false).port}));
  EXPECT_EQ(nameOf(socket.get(), true), to);
  sendText(socket.get(), "request");
  EXPECT_EQ(receive(accepted.get()), "request");
  sendText(accepted.get(), "answer");
  EXPECT_EQ(receive(socket.get()), "answer");
}

class TapEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to make network namespaces and TAP devices";
    if (access("/dev/net/tun", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/net/tun: " << std::strerror(errno);
    std::string error;
    local = NetworkNamespace::create(error);
    if (local) remote = NetworkNamespace::create(error);
    if (!local || !remote) GTEST_SKIP() << "cannot make a network namespace: " << error;
  }

  std::unique_ptr<NetworkNamespace> local, remote;
};

TEST_F(TapEndToEnd, RealConnectionsFollowTheRulesAndPlainOnesWorkAfterStopping) {
  std::unique_ptr<TapDevice> stack, network;
  try {
    stack = std::make_unique<TapDevice>(*local, "brtap0", kLocalHost);
    network = std::make_unique<TapDevice>(*remote, "brtap1", kRemoteHost);
  } catch (const std::exception& e) {
    GTEST_SKIP() << "cannot make a TAP device: " << e.what();
  }
  StandInFilter filter;
  filter.setAdapters({"brtap0"});
  StandInAdapter& adapter = *filter.adapter(0);
  TapBridge bridge(adapter, *stack, *network);
  Translator translator(filter);

  ASSERT_TRUE(translator.open());
  ASSERT_TRUE(translator.addSmbTranslations());
  const HardwareAddress& target = network->hardware();
  const int32_t head = int32_t(uint32_t(target[0]) | uint32_t(target[1]) << 8 |
                               uint32_t(target[2]) << 16 | uint32_t(target[3]) << 24);
  const int32_t tail = int32_t(target[4] | target[5] << 8);
  ASSERT_TRUE(translator.addRemoteRedirect(kVirtualServer.toJava(), kRemoteHost.toJava(), 8080, 5050, tail, head));
  ASSERT_TRUE(translator.start());
  ASSERT_TRUE(waitUntil(5s, [&] { return adapter.mode() == kModeTunnel; }));

  Descriptor smb = listening(*local, SOCK_STREAM, 1139);
  Descriptor product = listening(*local, SOCK_STREAM, 1641);
  Descriptor nameService = listening(*local, SOCK_DGRAM, 1137);
  Descriptor remoteService = listening(*remote, SOCK_STREAM, 5050);
  Descriptor plainService = listening(*remote, SOCK_STREAM, 6000);

  connectThrough(*local, smb.get(), {kVirtualServer, 139}, kVirtualPeer);
  connectThrough(*local, product.get(), {kVirtualServer, 1640}, kVirtualPeer);
  {
    SCOPED_TRACE("UDP to 100.100.100.200:137");
    Descriptor client = boundedSocket(*local, SOCK_DGRAM);
    const SocketAddress virtualName{kVirtualServer, 137};
    sendText(client.get(), "query", &virtualName);
    SocketAddress from;
    EXPECT_EQ(receive(nameService.get(), &from), "query");
    EXPECT_EQ(from, (SocketAddress{kVirtualPeer, nameOf(client.get(), false).port}));
    sendText(nameService.get(), "reply", &from);
    EXPECT_EQ(receive(client.get(), &from), "reply");
    EXPECT_EQ(from, virtualName);
  }
  connectThrough(*local, remoteService.get(), {kVirtualServer, 8080}, kLocalHost);

  ASSERT_TRUE(translator.stop());
  EXPECT_EQ(adapter.mode(), kModeNone);
  // Read once the worker has ended: it alone writes them.
  EXPECT_EQ(translator.learned(0).localAddress, kLocalHost);
  EXPECT_EQ(translator.learned(0).localHardware, stack->hardware());
  EXPECT_EQ(translator.learned(0).peerHardware, kVirtualServerHardware);
  connectThrough(*local, plainService.get(), {kRemoteHost, 6000}, kLocalHost);
}

}  // namespace
}  // namespace brevan::netredirect::test
