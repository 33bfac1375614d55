// Ethernet frames for the redirector's tests and benchmark: ARP requests and IPv4 TCP/UDP
// packets with correct checksums, the fields of a frame read back, and checksums verified by a
// full recomputation.
#pragma once

#include <cstdint>
#include <vector>

#include "hardware_address.h"
#include "ipv4_address.h"

namespace brevan::netredirect::test {

using Bytes = std::vector<uint8_t>;

struct Endpoint {
  HardwareAddress hardware{};
  Ipv4 address;
  uint16_t port = 0;
};

constexpr uint8_t kTcp = 6;
constexpr uint8_t kUdp = 17;

Bytes arpRequest(const HardwareAddress& senderHardware, Ipv4 sender, Ipv4 target);
// A TCP segment (20-byte header, SYN) or UDP datagram from `from` to `to`.
Bytes transportFrame(uint8_t protocol, const Endpoint& from, const Endpoint& to,
                     const Bytes& payload = {});
// The IPv4 header checksum and the TCP/UDP checksum computed afresh over the packet as it
// stands (the UDP checksum field's 0 kept as "none").
void fillChecksums(Bytes& frame);

// What a test reads back from an IPv4 TCP/UDP frame.
struct Fields {
  HardwareAddress ethDestination{}, ethSource{};
  Ipv4 source, destination;
  uint16_t sourcePort = 0, destinationPort = 0;
  uint16_t ipChecksum = 0, transportChecksum = 0;
};
Fields fieldsOf(const Bytes& frame);

// Whether both checksums equal a full recomputation (a UDP checksum of 0 counts as absent; a
// computed 0 is sent as 0xFFFF).
bool checksumsRecomputeEqual(const Bytes& frame);

// The frame with the Ethernet part of ARP: sender/target fields read back.
struct ArpFields {
  HardwareAddress ethDestination{}, ethSource{}, senderHardware{}, targetHardware{};
  uint16_t operation = 0;
  Ipv4 sender, target;
};
ArpFields arpFieldsOf(const Bytes& frame);

}  // namespace brevan::netredirect::test
