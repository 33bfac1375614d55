#include "ipv4_address.h"

#include <cstdio>

namespace brevan::netredirect {

std::string toText(Ipv4 address) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", address.value >> 24, (address.value >> 16) & 0xFF,
                (address.value >> 8) & 0xFF, address.value & 0xFF);
  return text;
}

bool parseIpv4(const std::string& text, Ipv4& address) {
  uint32_t value = 0;
  size_t pos = 0;
  for (int octet = 0; octet < 4; ++octet) {
    if (octet > 0) {
      if (pos >= text.size() || text[pos] != '.') return false;
      ++pos;
    }
    const size_t start = pos;
    uint32_t number = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 3) {
      number = number * 10 + uint32_t(text[pos] - '0');
      ++pos;
    }
    if (pos == start || number > 255) return false;
    value = (value << 8) | number;
  }
  if (pos != text.size()) return false;
  address.value = value;
  return true;
}

}  // namespace brevan::netredirect
