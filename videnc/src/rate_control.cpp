#include "rate_control.h"

#include <algorithm>

#include "quantiser.h"

namespace brevan::videnc {

const double kSizeRatio[19] = {1.243, 1.243, 1.243, 1.148, 1.099, 1.077, 1.023, 1.022, 1.028, 1.034,
                               1.047, 1.066, 1.015, 1.091, 1.091, 1.058, 1.076, 1.271, 1.049};

int nextQuantIndex(int previous, int32_t averageBits, int targetBits) {
  if (averageBits == 0 || targetBits <= 0) return kDefaultQuant;
  double x = static_cast<double>(averageBits) / targetBits;
  int q;
  if (x > 1) {
    q = previous - 1;
    while (q >= 0 && x > 1) {
      x /= kSizeRatio[q];
      --q;
    }
    if (q < 0) q = 0;
  } else {
    q = previous + 1;
    while (q < kQuantCount && x < 1) {
      x *= kSizeRatio[q - 1];
      ++q;
    }
    if (q >= kQuantCount) q = kQuantCount - 1;
  }
  return q;
}

int RateControl::chooseIndex(int targetBits, int fixedQuant) {
  quantIndex_ =
      fixedQuant != 0 ? fixedQuant : nextQuantIndex(quantIndex_, averageBits_, targetBits);
  return quantIndex_;
}

void RateControl::recordPacket(int32_t bits) {
  const int32_t n = averagedFrames();
  if (packetCount_ < n) {
    history_[static_cast<size_t>(packetCount_)] = bits;
    ++packetCount_;
    sizeSum_ += bits;
    averageBits_ = static_cast<int32_t>(sizeSum_ / packetCount_);
  } else {
    const size_t j = static_cast<size_t>(packetCount_ % n);
    sizeSum_ += bits - history_[j];
    averageBits_ = static_cast<int32_t>(sizeSum_ / n);
    history_[j] = bits;
    // The ring position is all the count still tells; keep it from overflowing.
    packetCount_ = n + static_cast<int32_t>((j + 1) % static_cast<size_t>(n));
  }
}

void RateControl::setAveragedFrames(int count) {
  const int32_t recorded = std::min<int32_t>(packetCount_, averagedFrames());
  history_.resize(static_cast<size_t>(count), 0);
  packetCount_ = std::min<int32_t>(recorded, count);
  sizeSum_ = 0;
  for (int32_t i = 0; i < packetCount_; ++i) sizeSum_ += history_[static_cast<size_t>(i)];
}

}  // namespace brevan::videnc
