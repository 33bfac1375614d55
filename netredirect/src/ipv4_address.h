// IPv4 addresses and ports as the redirector handles them. Java passes an address as an int whose
// lowest byte is the first octet; here an address is a number whose highest byte is the first
// octet, so it compares and prints naturally and reads/writes big-endian from a frame.
#pragma once

#include <cstdint>
#include <string>

namespace brevan::netredirect {

struct Ipv4 {
  uint32_t value = 0;  // first octet in the high byte

  static constexpr Ipv4 fromOctets(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return Ipv4{(uint32_t(a) << 24) | (uint32_t(b) << 16) | (uint32_t(c) << 8) | d};
  }
  // The Java encoding: the lowest byte of the int is the first octet.
  static constexpr Ipv4 fromJava(int32_t javaValue) {
    const uint32_t v = static_cast<uint32_t>(javaValue);
    return fromOctets(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, v >> 24);
  }
  constexpr int32_t toJava() const {
    const uint32_t v = ((value >> 24) & 0xFF) | ((value >> 8) & 0xFF00) |
                       ((value << 8) & 0xFF0000) | (value << 24);
    return static_cast<int32_t>(v);
  }
  constexpr bool isZero() const { return value == 0; }
  constexpr bool operator==(Ipv4 other) const { return value == other.value; }
  constexpr bool operator!=(Ipv4 other) const { return value != other.value; }
};

// "100.100.100.195"
std::string toText(Ipv4 address);
// False when the text is not four decimal octets separated by dots.
bool parseIpv4(const std::string& text, Ipv4& address);

// A port from Java: only the low 16 bits count.
constexpr uint16_t portFromJava(int32_t javaValue) {
  return static_cast<uint16_t>(static_cast<uint32_t>(javaValue) & 0xFFFF);
}

constexpr Ipv4 kLocalHost = Ipv4::fromOctets(100, 100, 100, 195);
constexpr Ipv4 kVirtualServer = Ipv4::fromOctets(100, 100, 100, 200);
constexpr Ipv4 kVirtualPeer = Ipv4::fromOctets(100, 100, 100, 250);

}  // namespace brevan::netredirect
