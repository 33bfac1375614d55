// Polynomial hash over the last 40 bytes taken in, base 59, modulo 2^32:
//   hash = 59 * (hash - 59^39 * leaving) + entering
// The window is the last 40 bytes taken in, not a fixed stretch of the file: after the builder
// jumps over a match, old and new bytes mix until 40 new ones have entered.
#pragma once

#include <cstdint>

namespace brevan::delta {

namespace rolling_hash_detail {
// 59^39 mod 2^32: 59 multiplied by itself 38 times.
constexpr uint32_t leavingFactor(uint32_t base, int window) {
  uint32_t f = base;
  for (int i = 0; i < window - 2; ++i) f *= base;
  return f;
}
}  // namespace rolling_hash_detail

class RollingHash {
 public:
  static constexpr int kWindow = 40;
  static constexpr uint32_t kBase = 59;

  // Bytes enter as unsigned values 0 to 255.
  void take(uint8_t entering) {
    uint32_t leaving = window_[next_];
    window_[next_] = entering;
    next_ = next_ + 1 == kWindow ? 0 : next_ + 1;
    hash_ = kBase * (hash_ - kLeavingFactor * leaving) + entering;
  }

  uint32_t value() const { return hash_; }

 private:
  static constexpr uint32_t kLeavingFactor = rolling_hash_detail::leavingFactor(kBase, kWindow);

  uint8_t window_[kWindow] = {};
  int next_ = 0;
  uint32_t hash_ = 0;
};

}  // namespace brevan::delta
