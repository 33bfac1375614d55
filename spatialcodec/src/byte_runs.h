// Word-at-a-time scans for runs of one byte value, shared by the run-length
// and LZ run coders.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace brevan::spatial {

constexpr bool kLittleEndianBytes = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

inline uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// How many bytes from i (at most `limit`, never past n) equal c, eight at a time.
inline size_t copiesAt(const uint8_t* in, size_t i, size_t n, uint8_t c, size_t limit) {
  const size_t end = i + std::min(limit, n - i);
  size_t j = i;
  if constexpr (kLittleEndianBytes) {
    const uint64_t pattern = 0x0101010101010101u * c;
    for (; j + 8 <= end; j += 8) {
      const uint64_t diff = load64(in + j) ^ pattern;
      if (diff != 0) return j - i + size_t(__builtin_ctzll(diff) / 8);
    }
  }
  while (j < end && in[j] == c) ++j;
  return j - i;
}

}  // namespace brevan::spatial
