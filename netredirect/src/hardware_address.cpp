#include "hardware_address.h"

#include <cstdio>

namespace brevan::netredirect {

HardwareAddress hardwareFromJava(int32_t tail, int32_t head) {
  const uint32_t h = static_cast<uint32_t>(head);
  const uint32_t t = static_cast<uint32_t>(tail);
  return {uint8_t(h), uint8_t(h >> 8), uint8_t(h >> 16), uint8_t(h >> 24), uint8_t(t),
          uint8_t(t >> 8)};
}

std::string toText(const HardwareAddress& address) {
  char text[18];
  std::snprintf(text, sizeof text, "%02x-%02x-%02x-%02x-%02x-%02x", address[0], address[1],
                address[2], address[3], address[4], address[5]);
  return text;
}

static int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool parseHardware(const std::string& text, HardwareAddress& address) {
  if (text.size() != 17) return false;
  for (size_t i = 0; i < 6; ++i) {
    const int high = hexDigit(text[i * 3]);
    const int low = hexDigit(text[i * 3 + 1]);
    if (high < 0 || low < 0) return false;
    if (i < 5 && text[i * 3 + 2] != '-' && text[i * 3 + 2] != ':') return false;
    address[i] = uint8_t(high * 16 + low);
  }
  return true;
}

}  // namespace brevan::netredirect
