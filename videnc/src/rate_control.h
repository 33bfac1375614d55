// Steers an encoder's quantiser index toward a target packet size from the
// average size of its recent packets.
#pragma once

#include <cstdint>
#include <vector>

namespace brevan::videnc {

// kSizeRatio[i]: expected size ratio of a packet at index i + 1 to one at i.
extern const double kSizeRatio[19];

class RateControl {
 public:
  static constexpr int kInitialAveragedFrames = 5;

  RateControl() : history_(kInitialAveragedFrames, 0) {}

  // Index for the next packet. fixedQuant 0 asks for the automatic choice;
  // otherwise it is used as given (the caller checks 1..19).
  int chooseIndex(int targetBits, int fixedQuant);

  // Records the size of a packet coded with the automatic choice.
  void recordPacket(int32_t bits);

  // count >= 1. Keeps the first recorded sizes that fit; the running sum
  // and count follow the kept entries, so the average stays the average
  // of what the history holds.
  void setAveragedFrames(int count);

  int averagedFrames() const { return static_cast<int>(history_.size()); }
  int32_t averageBits() const { return averageBits_; }
  int32_t packetCount() const { return packetCount_; }
  int quantIndex() const { return quantIndex_; }

 private:
  std::vector<int32_t> history_;
  int32_t packetCount_ = 0;
  int32_t averageBits_ = 0;
  int64_t sizeSum_ = 0;
  int quantIndex_ = 0;
};

// The automatic step of the index: at least one step, toward a coarser
// step when the average was above the target and a finer one otherwise.
int nextQuantIndex(int previous, int32_t averageBits, int targetBits);

}  // namespace brevan::videnc
