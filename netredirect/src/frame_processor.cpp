#include "frame_processor.h"

#include <algorithm>
#include <cstring>

#include "internet_checksum.h"

namespace brevan::netredirect {
namespace {

// Ethernet and ARP offsets from the start of the frame.
constexpr size_t kEthDestination = 0;
constexpr size_t kEthSource = 6;
constexpr size_t kEtherType = 12;
constexpr size_t kEthHeaderLength = 14;
constexpr uint16_t kEtherTypeArp = 0x0806;
constexpr uint16_t kEtherTypeIpv4 = 0x0800;

constexpr size_t kArpProtocolType = 16;
constexpr size_t kArpHardwareLength = 18;
constexpr size_t kArpProtocolLength = 19;
constexpr size_t kArpOperation = 20;
constexpr size_t kArpSenderHardware = 22;
constexpr size_t kArpSenderAddress = 28;
constexpr size_t kArpTargetHardware = 32;
constexpr size_t kArpTargetAddress = 38;
constexpr size_t kArpPacketEnd = 42;

// IPv4 offsets from the start of the frame; TCP/UDP offsets from the start of their header.
constexpr size_t kIpVersionAndLength = 14;
constexpr size_t kIpTotalLength = 16;
constexpr size_t kIpFragment = 20;
constexpr size_t kIpProtocol = 23;
constexpr size_t kIpChecksum = 24;
constexpr size_t kIpSource = 26;
constexpr size_t kIpDestination = 30;
constexpr size_t kIpMinimumHeader = 20;
constexpr uint16_t kMoreFragments = 0x2000;
constexpr uint16_t kFragmentOffset = 0x1FFF;
constexpr uint8_t kProtocolTcp = 6;
constexpr uint8_t kProtocolUdp = 17;
constexpr size_t kSourcePort = 0;
constexpr size_t kDestinationPort = 2;
constexpr size_t kTcpChecksum = 16;
constexpr size_t kUdpChecksum = 6;
constexpr size_t kTcpHeaderLength = 20;
constexpr size_t kUdpHeaderLength = 8;

uint16_t read16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
void write16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}
Ipv4 readIpv4(const uint8_t* p) {
  return Ipv4{(uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]};
}
void writeIpv4(uint8_t* p, Ipv4 a) {
  write16(p, uint16_t(a.value >> 16));
  write16(p + 2, uint16_t(a.value));
}
HardwareAddress readHardware(const uint8_t* p) {
  HardwareAddress a;
  std::memcpy(a.data(), p, a.size());
  return a;
}
void writeHardware(uint8_t* p, const HardwareAddress& a) { std::memcpy(p, a.data(), a.size()); }

// ---- ARP ------------------------------------------------------------------------------------

void turnIntoReply(Frame& frame, const HardwareAddress& answer) {
  uint8_t* f = frame.data;
  std::memcpy(f + kEthDestination, f + kEthSource, 6);
  writeHardware(f + kEthSource, answer);
  write16(f + kArpOperation, 2);
  uint8_t sender[4];
  std::memcpy(sender, f + kArpSenderAddress, 4);
  std::memcpy(f + kArpSenderAddress, f + kArpTargetAddress, 4);
  std::memcpy(f + kArpTargetAddress, sender, 4);
  std::memcpy(f + kArpTargetHardware, f + kArpSenderHardware, 6);
  writeHardware(f + kArpSenderHardware, answer);
  frame.flags = kToStack;
}

void processArp(Frame& frame) {
  const uint8_t* f = frame.data;
  if (frame.length < kArpPacketEnd) return;
  if (read16(f + kArpProtocolType) != kEtherTypeIpv4 || f[kArpHardwareLength] != 6 ||
      f[kArpProtocolLength] != 4 || read16(f + kArpOperation) != 1 ||
      readIpv4(f + kArpSenderAddress) != kLocalHost) {
    return;
  }
  if (readIpv4(f + kArpTargetAddress) == kVirtualServer) turnIntoReply(frame, kVirtualServerHardware);
  // Tested on the frame as it now stands, so a request answered above is not answered twice.
  if (readIpv4(f + kArpTargetAddress) == kVirtualPeer) turnIntoReply(frame, kVirtualPeerHardware);
}

// ---- IPv4 TCP/UDP ---------------------------------------------------------------------------

// A TCP or UDP packet whose headers lie inside the frame and the IPv4 total length.
struct Transport {
  uint8_t* frame;
  size_t header;    // offset of the TCP/UDP header
  size_t checksum;  // offset of its checksum
  bool udp;
  // The values every rule is tested against, read before any rewrite.
  Ipv4 source, destination;
  uint16_t sourcePort, destinationPort;
};

// One rule's rewrite: fields changed in place, both checksums patched at the end.
class Rewrite {
 public:
  explicit Rewrite(Transport& packet) : packet_(packet) {}

  void setAddress(size_t offset, Ipv4 value) {
    const Ipv4 old = readIpv4(packet_.frame + offset);
    ip_.change32(old.value, value.value);
    transport_.change32(old.value, value.value);  // the pseudo-header
    writeIpv4(packet_.frame + offset, value);
  }
  void setPort(size_t offset, uint16_t port) {
    uint8_t* field = packet_.frame + packet_.header + offset;
    transport_.change16(read16(field), port);
    write16(field, port);
  }
  void finish() {
    uint8_t* f = packet_.frame;
    write16(f + kIpChecksum, ip_.applyTo(read16(f + kIpChecksum)));
    uint8_t* checksum = f + packet_.checksum;
    const uint16_t old = read16(checksum);
    if (packet_.udp && old == 0) return;  // a UDP datagram sent without a checksum stays so
    uint16_t patched = transport_.applyTo(old);
    if (packet_.udp && patched == 0) patched = 0xFFFF;  // 0 would mean "no checksum"
    write16(checksum, patched);
  }

 private:
  Transport& packet_;
  ChecksumPatch ip_, transport_;
};

void applyRemote(Transport& p, Frame& frame, const RemoteRedirect& rule, const LearnedFields& l) {
  const Ipv4 local = l.localAddress;
  if (p.source == local && p.destination == rule.virtualAddress &&
      p.destinationPort == rule.virtualPort) {
    Rewrite rewrite(p);
    rewrite.setPort(kDestinationPort, rule.targetPort);
    rewrite.setAddress(kIpDestination, rule.targetAddress);
    rewrite.finish();
    writeHardware(frame.data + kEthDestination, rule.targetHardware);
  }
  if (p.source == rule.targetAddress && p.destination == local &&
      p.sourcePort == rule.targetPort) {
    Rewrite rewrite(p);
    rewrite.setPort(kSourcePort, rule.virtualPort);
    rewrite.setAddress(kIpSource, rule.virtualAddress);
    rewrite.finish();
    writeHardware(frame.data + kEthSource, l.peerHardware);
  }
}

// Both tests turn the packet back up to the local stack, from the peer's hardware address.
void turnBack(Frame& frame, const LearnedFields& l) {
  frame.flags = kToStack;
  writeHardware(frame.data + kEthDestination, l.localHardware);
  writeHardware(frame.data + kEthSource, l.peerHardware);
}

void applyLocal(Transport& p, Frame& frame, const LocalRedirect& rule, const LearnedFields& l) {
  const Ipv4 local = l.localAddress;
  if (p.source == local && p.destination == rule.virtualAddress &&
      p.destinationPort == rule.virtualPort) {
    Rewrite rewrite(p);
    rewrite.setPort(kDestinationPort, rule.localPort);
    rewrite.setAddress(kIpSource, rule.peerAddress);
    rewrite.setAddress(kIpDestination, local);
    rewrite.finish();
    turnBack(frame, l);
  }
  if (p.source == local && p.destination == rule.peerAddress && p.sourcePort == rule.localPort) {
    Rewrite rewrite(p);
    rewrite.setPort(kSourcePort, rule.virtualPort);
    rewrite.setAddress(kIpSource, rule.virtualAddress);
    rewrite.setAddress(kIpDestination, local);
    rewrite.finish();
    turnBack(frame, l);
  }
}

// Whether the TCP/UDP header lies inside the frame and the IPv4 total length, in an unfragmented
// packet; fills `p` when it does.
bool readTransport(Frame& frame, size_t ipHeaderLength, bool udp, Transport& p) {
  const uint8_t* f = frame.data;
  const size_t need = udp ? kUdpHeaderLength : kTcpHeaderLength;
  const size_t header = kEthHeaderLength + ipHeaderLength;
  const size_t totalLength = read16(f + kIpTotalLength);
  const uint16_t fragment = read16(f + kIpFragment);
  if ((fragment & (kMoreFragments | kFragmentOffset)) != 0) return false;
  if (header + need > frame.length || ipHeaderLength + need > totalLength) return false;
  p.frame = frame.data;
  p.header = header;
  p.checksum = header + (udp ? kUdpChecksum : kTcpChecksum);
  p.udp = udp;
  p.source = readIpv4(f + kIpSource);
  p.destination = readIpv4(f + kIpDestination);
  p.sourcePort = read16(f + header + kSourcePort);
  p.destinationPort = read16(f + header + kDestinationPort);
  return true;
}

template <class Table>
bool anyVirtualAddressIs(const Table& table, size_t count, Ipv4 address) {
  for (size_t i = 0; i < count; ++i) {
    if (table[i].virtualAddress == address) return true;
  }
  return false;
}

void processIpv4(Frame& frame, LearnedFields& learned, const RuleTables& rules) {
  const uint8_t* f = frame.data;
  if (frame.length < kEthHeaderLength + kIpMinimumHeader) return;
  const uint8_t versionAndLength = f[kIpVersionAndLength];
  const size_t headerLength = size_t(versionAndLength & 0x0F) * 4;
  if ((versionAndLength >> 4) != 4 || headerLength < kIpMinimumHeader ||
      kEthHeaderLength + headerLength > frame.length) {
    return;
  }
  const Ipv4 source = readIpv4(f + kIpSource);
  const Ipv4 destination = readIpv4(f + kIpDestination);
  if (frame.flags == kToNetwork && !source.isZero()) learned.localAddress = source;

  const uint8_t protocol = f[kIpProtocol];
  if (protocol != kProtocolTcp && protocol != kProtocolUdp) return;
  const size_t remoteCount = rules.remote.size();
  const size_t localCount = rules.local.size();
  // Learned from the destination as the frame arrived, not as an earlier rule left it.
  if (anyVirtualAddressIs(rules.remote, remoteCount, destination) ||
      anyVirtualAddressIs(rules.local, localCount, destination)) {
    learned.peerHardware = readHardware(f + kEthDestination);
  }
  Transport packet;
  // Until the local address is known no rule can tell the local host's packets apart.
  if (learned.localAddress.isZero() ||
      !readTransport(frame, headerLength, protocol == kProtocolUdp, packet)) {
    return;
  }
  for (size_t i = 0; i < remoteCount; ++i) applyRemote(packet, frame, rules.remote[i], learned);
  for (size_t i = 0; i < localCount; ++i) applyLocal(packet, frame, rules.local[i], learned);
}

}  // namespace

void processFrame(Frame& frame, LearnedFields& learned, const RuleTables& rules) {
  if (frame.length < kEthHeaderLength) return;
  if (frame.flags == kToNetwork) learned.localHardware = readHardware(frame.data + kEthSource);
  switch (read16(frame.data + kEtherType)) {
    case kEtherTypeArp:
      processArp(frame);
      break;
    case kEtherTypeIpv4:
      processIpv4(frame, learned, rules);
      break;
    default:
      break;
  }
}

}  // namespace brevan::netredirect
