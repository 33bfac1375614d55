// Incremental update of an Internet checksum after some 16-bit words of the covered data change,
// by RFC 1624 equation 3: HC' = ~(~HC + sum of (~m + m')) in one's-complement arithmetic.
#pragma once

#include <cstdint>

namespace brevan::netredirect {

class ChecksumPatch {
 public:
  void change16(uint16_t oldWord, uint16_t newWord) {
    sum_ += uint16_t(~oldWord);
    sum_ += newWord;
  }
  // An IPv4 address counts as two 16-bit words.
  void change32(uint32_t oldValue, uint32_t newValue) {
    change16(uint16_t(oldValue >> 16), uint16_t(newValue >> 16));
    change16(uint16_t(oldValue), uint16_t(newValue));
  }
  bool empty() const { return sum_ == 0; }
  uint16_t applyTo(uint16_t oldChecksum) const {
    uint32_t sum = uint16_t(~oldChecksum) + sum_;
    sum = (sum & 0xFFFF) + (sum >> 16);
    sum = (sum & 0xFFFF) + (sum >> 16);
    return uint16_t(~sum);
  }

 private:
  uint32_t sum_ = 0;  // a few words only: no overflow of 32 bits
};

}  // namespace brevan::netredirect
