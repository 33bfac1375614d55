// The adaptive frequency model of the arithmetic coder.
#pragma once

#include <cstdint>
#include <cstring>

namespace brevan::spatial {

constexpr uint32_t kMaxFrequency = 16383;  // keeps range * total below 2^31
constexpr int kSymbolCount = 257;          // 256 bytes at 1..256, end symbol 257
constexpr int kEndSymbol = 257;

// floor(x / d) as a multiply, for 1 <= d <= kMaxFrequency and x <= 65536·d:
// ceil(2^45 / d) is off by less than d / 2^45, too little to move the quotient.
class TotalReciprocals {
 public:
  TotalReciprocals() {
    for (uint32_t d = 1; d <= kMaxFrequency; ++d) factor_[d] = ((uint64_t(1) << 45) + d - 1) / d;
  }
  uint32_t divide(uint32_t x, uint32_t d) const {
    return uint32_t((uint64_t(x) * factor_[d]) >> 45);
  }

 private:
  uint64_t factor_[kMaxFrequency + 1] = {};
};

inline const TotalReciprocals& totalReciprocals() {
  static const TotalReciprocals table;
  return table;
}

// Eight cumulative counts at once: GCC lowers these lanes to SSE2 where the
// target has it and to plain integer code where it does not.
using CountLanes = int16_t __attribute__((vector_size(16)));

// Symbols are kept sorted by falling frequency, so frequent bytes have small
// symbol numbers and both the update and the decoder's search stay short.
struct ArithmeticModel {
  static constexpr int kLookAhead = 8;
  static constexpr int kLanes = 8;
  int charToSymbol[256];
  uint8_t symbolToChar[kSymbolCount + 1];
  uint32_t freq[kSymbolCount + 1];
  // Total frequency of the symbols above s (at most kMaxFrequency, so 16 bits
  // hold it); zeros past the end let the search below look eight symbols
  // ahead and the update add to eight counts at once.
  alignas(16) uint16_t cumFreq[kSymbolCount + 1 + kLookAhead + kLanes] = {};
  // The first symbol of each frequency some symbol has: where an update
  // finds the symbol to swap with, without walking the run of equal counts.
  // Entries of frequencies no symbol has are stale and never read.
  uint16_t firstOf[kMaxFrequency + 2] = {};

  ArithmeticModel() {
    for (int c = 0; c < 256; ++c) {
      charToSymbol[c] = c + 1;
      symbolToChar[c + 1] = static_cast<uint8_t>(c);
    }
    symbolToChar[0] = 0;
    for (int s = 0; s <= kSymbolCount; ++s) {
      freq[s] = s == 0 ? 0 : 1;
      cumFreq[s] = uint16_t(kSymbolCount - s);
    }
    firstOf[1] = 1;
  }

  // The symbol whose interval holds cum = floor(target / range): the first
  // one with cumFreq <= cum, that is with cumFreq * range <= target, which
  // needs no division. The counts fall with s, so in the last eight the ones
  // above are those before the symbol: adding up the comparisons needs no branch.
  int symbolBelow(uint32_t target, uint32_t range) const {
    int s = 1;
    while (cumFreq[s + kLookAhead - 1] * range > target) s += kLookAhead;
    int above = 0;
#pragma GCC unroll 8
    for (int k = 0; k < kLookAhead - 1; ++k) above += cumFreq[s + k] * range > target;
    return s + above;
  }

  void update(int symbol) {
    if (cumFreq[0] == kMaxFrequency) halve();
    // The count goes up for the first symbol of the run of equal counts, so
    // that the order stays sorted: the run of f now starts a place later, and
    // the symbol starts the run of f + 1 unless the one before it has f + 1.
    const uint32_t f = freq[symbol];
    const int i = firstOf[f];
    firstOf[f] = uint16_t(i + 1);
    firstOf[f + 1] = freq[i - 1] == f + 1 ? firstOf[f + 1] : uint16_t(i);
    // Swapped even when i == symbol, where the swap changes nothing: cheaper
    // than a branch that goes either way.
    const uint8_t atI = symbolToChar[i];
    const uint8_t atSymbol = symbolToChar[symbol];
    symbolToChar[i] = atSymbol;
    symbolToChar[symbol] = atI;
    charToSymbol[atI] = symbol;
    charToSymbol[atSymbol] = i;
    ++freq[i];
    addOneBelow(i);
  }

  // ++cumFreq[0..end), eight lanes at a time; lanes from `end` on keep their value.
  void addOneBelow(int end) {
    CountLanes lane = {0, 1, 2, 3, 4, 5, 6, 7};
    const CountLanes ends = CountLanes{} + int16_t(end);
    for (int s = 0; s < end; s += kLanes) {
      CountLanes counts;
      std::memcpy(&counts, cumFreq + s, sizeof counts);
      counts -= lane < ends;  // a true lane compares as -1
      std::memcpy(cumFreq + s, &counts, sizeof counts);
      lane += kLanes;
    }
  }

  void halve() {
    uint32_t sum = 0;
    for (int s = kSymbolCount; s >= 0; --s) {
      freq[s] = (freq[s] + 1) / 2;
      cumFreq[s] = uint16_t(sum);
      sum += freq[s];
    }
    for (int s = kSymbolCount; s >= 1; --s) firstOf[freq[s]] = uint16_t(s);
  }
};

}  // namespace brevan::spatial
