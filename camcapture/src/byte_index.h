// Index tables for the AVX-512 byte and word permutes, worked out at compile time from a rule
// (which source byte goes to each place) rather than spelt out as 64 literals.
#pragma once

#include <cstdint>

namespace brevan::camcapture::detail {

struct ByteIndex {
  alignas(64) uint8_t at[64];
};

// rule(i): the source place of result place i (or anything, where a mask zeroes the place).
template <typename Rule>
constexpr ByteIndex byteIndex(Rule rule) {
  ByteIndex index{};
  for (int i = 0; i < 64; ++i) index.at[i] = uint8_t(rule(i));
  return index;
}

// The same for thirty-two 16-bit places.
template <typename Rule>
constexpr ByteIndex wordIndex(Rule rule) {
  ByteIndex index{};
  for (int i = 0; i < 32; ++i) {
    index.at[2 * i] = uint8_t(rule(i));
    index.at[2 * i + 1] = 0;
  }
  return index;
}

}  // namespace brevan::camcapture::detail
