// Ethernet hardware addresses.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace brevan::netredirect {

using HardwareAddress = std::array<uint8_t, 6>;

// The made-up addresses of the two virtual hosts in ARP replies (0x02: locally administered).
constexpr HardwareAddress kVirtualServerHardware = {0x02, 0x00, 0x4C, 0x4F, 0x4F, 0x62};
constexpr HardwareAddress kVirtualPeerHardware = {0x02, 0x00, 0x4C, 0x4F, 0x4F, 0x63};

// addRemoteRedirect's two ints: bytes 1-4 are `head` from its lowest byte up, bytes 5-6 the low
// two bytes of `tail`, lowest first.
HardwareAddress hardwareFromJava(int32_t tail, int32_t head);

// "02-aa-bb-cc-dd-01" (lower-case hex, dashes)
std::string toText(const HardwareAddress& address);
// Accepts dashes or colons between the six two-digit bytes.
bool parseHardware(const std::string& text, HardwareAddress& address);

}  // namespace brevan::netredirect
