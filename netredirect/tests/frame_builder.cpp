#include "frame_builder.h"

#include <cstring>

namespace brevan::netredirect::test {
namespace {

uint16_t get16(const Bytes& f, size_t at) { return uint16_t((f[at] << 8) | f[at + 1]); }
void put16(Bytes& f, size_t at, uint16_t v) {
  f[at] = uint8_t(v >> 8);
  f[at + 1] = uint8_t(v);
}
Ipv4 get32(const Bytes& f, size_t at) { return Ipv4{(uint32_t(get16(f, at)) << 16) | get16(f, at + 2)}; }
void put32(Bytes& f, size_t at, Ipv4 a) {
  put16(f, at, uint16_t(a.value >> 16));
  put16(f, at + 2, uint16_t(a.value));
}
void putHardware(Bytes& f, size_t at, const HardwareAddress& a) {
  std::memcpy(&f[at], a.data(), 6);
}
HardwareAddress getHardware(const Bytes& f, size_t at) {
  HardwareAddress a;
  std::memcpy(a.data(), &f[at], 6);
  return a;
}

// The plain one's-complement sum of the bytes [from, to) taken as big-endian words.
uint32_t sumWords(const Bytes& f, size_t from, size_t to, uint32_t sum = 0) {
  for (size_t i = from; i + 1 < to; i += 2) sum += get16(f, i);
  if ((to - from) % 2 == 1) sum += uint32_t(f[to - 1]) << 8;
  return sum;
}
uint16_t finish(uint32_t sum) {
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return uint16_t(~sum);
}

size_t ipHeaderLength(const Bytes& f) { return size_t(f[14] & 0x0F) * 4; }
size_t transportOffset(const Bytes& f) { return 14 + ipHeaderLength(f); }
size_t transportChecksumOffset(const Bytes& f) {
  return transportOffset(f) + (f[23] == kUdp ? 6 : 16);
}

uint16_t computeIpChecksum(Bytes f) {
  put16(f, 24, 0);
  return finish(sumWords(f, 14, transportOffset(f)));
}

uint16_t computeTransportChecksum(Bytes f) {
  const size_t at = transportOffset(f);
  const size_t length = get16(f, 16) - ipHeaderLength(f);
  put16(f, transportChecksumOffset(f), 0);
  uint32_t sum = sumWords(f, 26, 34);  // the pseudo-header: both addresses,
  sum += f[23];                        // the protocol
  sum += uint32_t(length);             // and the transport length
  const uint16_t checksum = finish(sumWords(f, at, at + length, sum));
  return (f[23] == kUdp && checksum == 0) ? 0xFFFF : checksum;
}

}  // namespace

Bytes arpRequest(const HardwareAddress& senderHardware, Ipv4 sender, Ipv4 target) {
  Bytes f(42, 0);
  f[0] = f[1] = f[2] = f[3] = f[4] = f[5] = 0xFF;
  putHardware(f, 6, senderHardware);
  put16(f, 12, 0x0806);
  put16(f, 14, 1);
  put16(f, 16, 0x0800);
  f[18] = 6;
  f[19] = 4;
  put16(f, 20, 1);
  putHardware(f, 22, senderHardware);
  put32(f, 28, sender);
  put32(f, 38, target);
  return f;
}

Bytes transportFrame(uint8_t protocol, const Endpoint& from, const Endpoint& to,
                     const Bytes& payload) {
  const size_t header = protocol == kTcp ? 20 : 8;
  Bytes f(14 + 20 + header, 0);
  putHardware(f, 0, to.hardware);
  putHardware(f, 6, from.hardware);
  put16(f, 12, 0x0800);
  f[14] = 0x45;
  put16(f, 16, uint16_t(20 + header + payload.size()));
  put16(f, 18, 0x1234);
  put16(f, 20, 0x4000);  // don't fragment
  f[22] = 64;
  f[23] = protocol;
  put32(f, 26, from.address);
  put32(f, 30, to.address);
  put16(f, 34, from.port);
  put16(f, 36, to.port);
  if (protocol == kTcp) {
    put16(f, 38, 0x1111);
    put16(f, 40, 0x2222);
    f[46] = 0x50;  // data offset 5
    f[47] = 0x02;  // SYN
    put16(f, 48, 0xFAF0);
  } else {
    put16(f, 38, uint16_t(8 + payload.size()));
  }
  f.insert(f.end(), payload.begin(), payload.end());
  if (protocol == kUdp) put16(f, transportChecksumOffset(f), 1);  // not "none"
  fillChecksums(f);
  return f;
}

void fillChecksums(Bytes& f) {
  put16(f, 24, computeIpChecksum(f));
  if (f[23] == kUdp && get16(f, transportChecksumOffset(f)) == 0) return;
  put16(f, transportChecksumOffset(f), computeTransportChecksum(f));
}

Fields fieldsOf(const Bytes& f) {
  Fields fields;
  fields.ethDestination = getHardware(f, 0);
  fields.ethSource = getHardware(f, 6);
  fields.source = get32(f, 26);
  fields.destination = get32(f, 30);
  fields.sourcePort = get16(f, transportOffset(f));
  fields.destinationPort = get16(f, transportOffset(f) + 2);
  fields.ipChecksum = get16(f, 24);
  fields.transportChecksum = get16(f, transportChecksumOffset(f));
  return fields;
}

bool checksumsRecomputeEqual(const Bytes& f) {
  if (get16(f, 24) != computeIpChecksum(f)) return false;
  const uint16_t transport = get16(f, transportChecksumOffset(f));
  if (f[23] == kUdp && transport == 0) return true;
  return transport == computeTransportChecksum(f);
}

ArpFields arpFieldsOf(const Bytes& f) {
  ArpFields a;
  a.ethDestination = getHardware(f, 0);
  a.ethSource = getHardware(f, 6);
  a.operation = get16(f, 20);
  a.senderHardware = getHardware(f, 22);
  a.sender = get32(f, 28);
  a.targetHardware = getHardware(f, 32);
  a.target = get32(f, 38);
  return a;
}

}  // namespace brevan::netredirect::test
