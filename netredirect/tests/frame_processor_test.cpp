// The frame processor frame by frame: ARP answers, local and remote rules, learning, checksums
// (checked by full recomputation) and the direction each frame leaves in.
#include <gtest/gtest.h>

#include <random>

#include "frame_builder.h"
#include "frame_processor.h"

namespace brevan::netredirect::test {
namespace {

const HardwareAddress kHostHardware = {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0x01};
const HardwareAddress kGatewayHardware = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
const HardwareAddress kTargetHardware = {0x02, 0x66, 0x77, 0x88, 0x99, 0x10};
const Ipv4 kOtherHost = Ipv4::fromOctets(100, 100, 100, 7);
const Ipv4 kTarget = Ipv4::fromOctets(10, 1, 2, 3);

class FrameProcessor : public ::testing::Test {
 protected:
  // Runs `bytes` in direction `flags`; returns the flags it leaves with.
  uint32_t run(Bytes& bytes, uint32_t flags) {
    Frame frame{flags, bytes.data(), bytes.size()};
    processFrame(frame, learned, rules);
    return frame.flags;
  }
  // Sends one frame from the host so that its addresses are learned.
  void learnHost() {
    Bytes hello = transportFrame(kTcp, {kHostHardware, kLocalHost, 5000},
                                 {kGatewayHardware, kOtherHost, 80});
    ASSERT_EQ(run(hello, kToNetwork), kToNetwork);
    ASSERT_EQ(learned.localAddress, kLocalHost);
  }
  Endpoint host(uint16_t port) const { return {kHostHardware, kLocalHost, port}; }

  RuleTables rules;
  LearnedFields learned;
};

TEST_F(FrameProcessor, AnswersTheHostsArpRequestsForBothVirtualHosts) {
  struct Case {
    Ipv4 target;
    HardwareAddress answer;
  } cases[] = {{kVirtualServer, kVirtualServerHardware}, {kVirtualPeer, kVirtualPeerHardware}};
  for (const Case& c : cases) {
    Bytes frame = arpRequest(kHostHardware, kLocalHost, c.target);
    EXPECT_EQ(run(frame, kToNetwork), kToStack);
    const ArpFields reply = arpFieldsOf(frame);
    EXPECT_EQ(reply.operation, 2);
    EXPECT_EQ(reply.ethDestination, kHostHardware);
    EXPECT_EQ(reply.ethSource, c.answer);
    EXPECT_EQ(reply.senderHardware, c.answer);
    EXPECT_EQ(reply.sender, c.target);
    EXPECT_EQ(reply.targetHardware, kHostHardware);
    EXPECT_EQ(reply.target, kLocalHost);
  }
  EXPECT_EQ(learned.localHardware, kHostHardware);
}

TEST_F(FrameProcessor, LeavesEveryOtherArpFrameAlone) {
  struct Case {
    const char* label;
    Bytes frame;
  } cases[] = {
      {"other sender", arpRequest(kHostHardware, kOtherHost, kVirtualServer)},
      {"other target", arpRequest(kHostHardware, kLocalHost, kOtherHost)},
      {"reply", [] { Bytes f = arpRequest(kHostHardware, kLocalHost, kVirtualServer); f[21] = 2; return f; }()},
      {"not IPv4", [] { Bytes f = arpRequest(kHostHardware, kLocalHost, kVirtualServer); f[17] = 0xDD; return f; }()},
      {"hardware length 8", [] { Bytes f = arpRequest(kHostHardware, kLocalHost, kVirtualServer); f[18] = 8; return f; }()},
      {"protocol length 16", [] { Bytes f = arpRequest(kHostHardware, kLocalHost, kVirtualServer); f[19] = 16; return f; }()},
      {"41 bytes", [] { Bytes f = arpRequest(kHostHardware, kLocalHost, kVirtualServer); f.pop_back(); return f; }()},
  };
  for (Case& c : cases) {
    const Bytes before = c.frame;
    EXPECT_EQ(run(c.frame, kToNetwork), kToNetwork) << c.label;
    EXPECT_EQ(c.frame, before) << c.label;
  }
}

TEST_F(FrameProcessor, TurnsSmbConnectionsBackToLocalPortsBothWays) {
  ASSERT_TRUE(addSmbTranslations(rules));
  learnHost();
  struct Case {
    uint8_t protocol;
    Ipv4 virtualAddress;
    uint16_t virtualPort;
    Ipv4 peer;
    uint16_t localPort;
  } cases[] = {
      {kTcp, kVirtualServer, 139, kVirtualPeer, 1139},
      {kTcp, kVirtualServer, 1640, kVirtualPeer, 1641},
      {kUdp, kVirtualServer, 137, kVirtualPeer, 1137},
      {kUdp, kVirtualServer, 138, kVirtualPeer, 1138},
      {kTcp, Ipv4::fromOctets(100, 100, 100, 203), 445, Ipv4::fromOctets(100, 100, 100, 103), 1703},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toText(c.virtualAddress) + ":" + std::to_string(c.virtualPort));
    // The connecting socket's packet arrives at the local port, from the peer.
    Bytes out = transportFrame(c.protocol, host(40000), {kVirtualServerHardware, c.virtualAddress, c.virtualPort}, Bytes(13, 0x5A));
    EXPECT_EQ(run(out, kToNetwork), kToStack);
    Fields f = fieldsOf(out);
    EXPECT_EQ(f.source, c.peer);
    EXPECT_EQ(f.sourcePort, 40000);
    EXPECT_EQ(f.destination, kLocalHost);
    EXPECT_EQ(f.destinationPort, c.localPort);
    EXPECT_EQ(f.ethDestination, kHostHardware);
    EXPECT_EQ(f.ethSource, kVirtualServerHardware);
    EXPECT_TRUE(checksumsRecomputeEqual(out));
    // The listener's answer comes back as if from the virtual address and port.
    Bytes answer = transportFrame(c.protocol, host(c.localPort), {kVirtualPeerHardware, c.peer, 40000}, Bytes(7, 0xA5));
    EXPECT_EQ(run(answer, kToNetwork), kToStack);
    f = fieldsOf(answer);
    EXPECT_EQ(f.source, c.virtualAddress);
    EXPECT_EQ(f.sourcePort, c.virtualPort);
    EXPECT_EQ(f.destination, kLocalHost);
    EXPECT_EQ(f.destinationPort, 40000);
    EXPECT_EQ(f.ethDestination, kHostHardware);
    EXPECT_EQ(f.ethSource, kVirtualServerHardware);
    EXPECT_TRUE(checksumsRecomputeEqual(answer));
  }
}

TEST_F(FrameProcessor, SendsRemoteRedirectsToTheTargetAndDisguisesItsReplies) {
  ASSERT_TRUE(addRemoteRedirect(rules, kVirtualServer.toJava(), kTarget.toJava(), 8080, 5050,
                                0x1099, int32_t(0x88776602)));
  learnHost();
  for (uint8_t protocol : {kTcp, kUdp}) {
    Bytes out = transportFrame(protocol, host(41000), {kVirtualServerHardware, kVirtualServer, 8080});
    EXPECT_EQ(run(out, kToNetwork), kToNetwork);
    Fields f = fieldsOf(out);
    EXPECT_EQ(f.destination, kTarget);
    EXPECT_EQ(f.destinationPort, 5050);
    EXPECT_EQ(f.source, kLocalHost);
    EXPECT_EQ(f.ethDestination, kTargetHardware);
    EXPECT_TRUE(checksumsRecomputeEqual(out));
    EXPECT_EQ(learned.peerHardware, kVirtualServerHardware);

    Bytes reply = transportFrame(protocol, {kTargetHardware, kTarget, 5050}, host(41000));
    EXPECT_EQ(run(reply, kToStack), kToStack);
    f = fieldsOf(reply);
    EXPECT_EQ(f.source, kVirtualServer);
    EXPECT_EQ(f.sourcePort, 8080);
    EXPECT_EQ(f.ethSource, kVirtualServerHardware);
    EXPECT_TRUE(checksumsRecomputeEqual(reply));
  }
}

TEST_F(FrameProcessor, MatchesNoRuleBeforeTheLocalAddressIsKnown) {
  ASSERT_TRUE(addSmbTranslations(rules));
  // Incoming packets teach nothing, so the host's address is still unknown here.
  Bytes incoming = transportFrame(kTcp, host(45000), {kVirtualServerHardware, kVirtualServer, 139});
  const Bytes incomingBefore = incoming;
  EXPECT_EQ(run(incoming, kToStack), kToStack);
  EXPECT_EQ(incoming, incomingBefore);
  // A packet from 0.0.0.0 neither; with no address known it must not pass for the host's own.
  Bytes unknown = transportFrame(kTcp, {kHostHardware, Ipv4{}, 45000}, {kVirtualServerHardware, kVirtualServer, 139});
  const Bytes unknownBefore = unknown;
  EXPECT_EQ(run(unknown, kToNetwork), kToNetwork);
  EXPECT_EQ(unknown, unknownBefore);
  EXPECT_TRUE(learned.localAddress.isZero());
  EXPECT_EQ(learned.localHardware, kHostHardware);
}

TEST_F(FrameProcessor, RewritesInTurnWhenSeveralRulesMatch) {
  learnHost();
  ASSERT_TRUE(addLocalRedirect(rules, kVirtualServer.toJava(), kVirtualPeer.toJava(), 139, 1139));
  const Ipv4 secondPeer = Ipv4::fromOctets(100, 100, 100, 251);
  ASSERT_TRUE(addLocalRedirect(rules, kVirtualServer.toJava(), secondPeer.toJava(), 139, 2139));
  Bytes out = transportFrame(kTcp, host(42000), {kVirtualServerHardware, kVirtualServer, 139});
  EXPECT_EQ(run(out, kToNetwork), kToStack);
  const Fields f = fieldsOf(out);
  EXPECT_EQ(f.source, secondPeer);
  EXPECT_EQ(f.destinationPort, 2139);
  EXPECT_TRUE(checksumsRecomputeEqual(out));
  // The peer address is learned from the frame as it arrived, not as the first rule left it.
  EXPECT_EQ(learned.peerHardware, kVirtualServerHardware);
}

TEST_F(FrameProcessor, PassesMalformedAndUnhandledFramesOnUnchanged) {
  ASSERT_TRUE(addSmbTranslations(rules));
  learnHost();
  const Bytes syn = transportFrame(kTcp, host(43000), {kVirtualServerHardware, kVirtualServer, 139});
  const Bytes udp = transportFrame(kUdp, host(43000), {kVirtualServerHardware, kVirtualServer, 137});
  auto edit = [](Bytes f, auto change) { change(f); return f; };
  struct Case {
    const char* label;
    Bytes frame;
  } cases[] = {
      {"13 bytes", Bytes(syn.begin(), syn.begin() + 13)},
      {"IPv6 ethertype", edit(syn, [](Bytes& f) { f[12] = 0x86; f[13] = 0xDD; })},
      {"ICMP", edit(syn, [](Bytes& f) { f[23] = 1; })},
      {"version 6", edit(syn, [](Bytes& f) { f[14] = 0x65; })},
      {"header length 16", edit(syn, [](Bytes& f) { f[14] = 0x44; })},
      {"header past the frame", edit(syn, [](Bytes& f) { f[14] = 0x4F; })},
      {"IPv4 header cut", Bytes(syn.begin(), syn.begin() + 33)},
      {"TCP header cut", Bytes(syn.begin(), syn.end() - 1)},
      {"UDP header cut", Bytes(udp.begin(), udp.begin() + 41)},
      {"TCP past the total length", edit(syn, [](Bytes& f) { f[17] = 39; })},
      {"UDP past the total length", edit(udp, [](Bytes& f) { f[17] = 27; })},
      {"more fragments", edit(syn, [](Bytes& f) { f[20] = 0x20; })},
      {"fragment offset", edit(syn, [](Bytes& f) { f[20] = 0x00; f[21] = 0x08; })},
  };
  for (Case& c : cases) {
    const Bytes before = c.frame;
    EXPECT_EQ(run(c.frame, kToNetwork), kToNetwork) << c.label;
    EXPECT_EQ(c.frame, before) << c.label;
    Bytes incoming = before;
    EXPECT_EQ(run(incoming, kToStack), kToStack) << c.label;
    EXPECT_EQ(incoming, before) << c.label;
  }
}

TEST_F(FrameProcessor, KeepsAMissingUdpChecksumAndNeverSendsZero) {
  ASSERT_TRUE(addSmbTranslations(rules));
  learnHost();
  Bytes none = transportFrame(kUdp, host(44000), {kVirtualServerHardware, kVirtualServer, 137});
  none[14 + 20 + 6] = none[14 + 20 + 7] = 0;
  run(none, kToNetwork);
  EXPECT_EQ(fieldsOf(none).transportChecksum, 0);
  EXPECT_EQ(fieldsOf(none).destinationPort, 1137);
  EXPECT_TRUE(checksumsRecomputeEqual(none));
  // Over every value of one payload word some rewrite sums to zero: it must leave as 0xFFFF.
  int zeroSums = 0;
  for (uint32_t word = 0; word <= 0xFFFF; ++word) {
    Bytes frame = transportFrame(kUdp, host(44000), {kVirtualServerHardware, kVirtualServer, 137},
                                 {uint8_t(word >> 8), uint8_t(word)});
    run(frame, kToNetwork);
    const Fields f = fieldsOf(frame);
    ASSERT_NE(f.transportChecksum, 0) << word;
    ASSERT_TRUE(checksumsRecomputeEqual(frame)) << word;
    zeroSums += f.transportChecksum == 0xFFFF;
  }
  EXPECT_GT(zeroSums, 0);
}

// Random rules and packets: whatever is rewritten, both checksums equal a recomputation, and
// frames that no rule touches leave byte for byte as they came.
TEST_F(FrameProcessor, ChecksumsHoldForRandomRulesAndPackets) {
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  auto pick = [&](uint32_t n) { return uint32_t(random() % n); };
  auto address = [&] { return Ipv4::fromOctets(100, 100, 100, uint8_t(190 + pick(70))); };
  for (int i = 0; i < 40; ++i) {
    addLocalRedirect(rules, address().toJava(), address().toJava(), int32_t(130 + pick(20)), int32_t(1130 + pick(20)));
    addRemoteRedirect(rules, address().toJava(), address().toJava(), int32_t(130 + pick(20)), int32_t(130 + pick(20)), int32_t(random()), int32_t(random()));
  }
  learnHost();
  int rewritten = 0;
  for (int i = 0; i < 20000; ++i) {
    const bool outgoing = pick(2) == 0;
    Endpoint a{kHostHardware, outgoing ? kLocalHost : address(), uint16_t(outgoing ? 40000 + pick(3) : 130 + pick(20))};
    Endpoint b{kGatewayHardware, outgoing ? address() : kLocalHost, uint16_t(outgoing ? 130 + pick(20) : 40000 + pick(3))};
    if (!outgoing) std::swap(a.hardware, b.hardware);
    Bytes frame = transportFrame(pick(2) ? kTcp : kUdp, a, b, Bytes(pick(64), uint8_t(i)));
    const Bytes before = frame;
    run(frame, outgoing ? kToNetwork : kToStack);
    ASSERT_TRUE(checksumsRecomputeEqual(frame)) << i;
    rewritten += frame != before;
  }
  EXPECT_GT(rewritten, 500);
}

TEST(RedirectRules, FullTablesRefuseAndTheSmbSetAddsWhatFits) {
  RuleTables rules;
  for (int i = 0; i < 90; ++i) ASSERT_TRUE(addLocalRedirect(rules, i, i, i, i));
  EXPECT_FALSE(addSmbTranslations(rules));
  EXPECT_EQ(rules.local.size(), 100u);
  EXPECT_EQ(rules.local[99].localPort, 1705);
  EXPECT_FALSE(addLocalRedirect(rules, 1, 2, 3, 4));
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(addRemoteRedirect(rules, i, i, i, i, i, i));
  EXPECT_FALSE(addRemoteRedirect(rules, 1, 2, 3, 4, 5, 6));
}

TEST(RedirectRules, TakeJavaEncodings) {
  RuleTables rules;
  // 100.100.100.200 as Java passes it: the first octet in the lowest byte.
  const int32_t javaVirtual = int32_t(0xC8646464u);
  ASSERT_TRUE(addRemoteRedirect(rules, javaVirtual, 0x0302010A, 0x10000 + 80, -1, 0x0605, 0x04030201));
  const RemoteRedirect& rule = rules.remote[0];
  EXPECT_EQ(rule.virtualAddress, kVirtualServer);
  EXPECT_EQ(rule.targetAddress, Ipv4::fromOctets(10, 1, 2, 3));
  EXPECT_EQ(rule.virtualPort, 80);
  EXPECT_EQ(rule.targetPort, 0xFFFF);
  EXPECT_EQ(rule.targetHardware, (HardwareAddress{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(kVirtualServer.toJava(), javaVirtual);
}

}  // namespace
}  // namespace brevan::netredirect::test
