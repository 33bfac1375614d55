// Packets as strings of '0'/'1' in packet order, for readable expectations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bit_writer.h"

namespace brevan::videnc {

inline std::string bitString(const std::vector<uint8_t>& bytes, size_t bits) {
  std::string s;
  for (size_t k = 0; k < bits; ++k) s += ((bytes[k / 8] >> (k % 8)) & 1) ? '1' : '0';
  return s;
}

inline std::string bitString(const BitWriter& writer) {
  return bitString(writer.bytes(), writer.bitLength());
}

// A fixed-width number as the packet carries it, least significant bit first.
inline std::string lsbFirst(uint32_t value, int bits) {
  std::string s;
  for (int i = 0; i < bits; ++i) s += ((value >> i) & 1) ? '1' : '0';
  return s;
}

}  // namespace brevan::videnc
