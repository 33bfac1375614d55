// What the coder remembers of the blocks that a relative packet sent as
// nothing: a difference block whose levels all came out 0 leaves its
// reference block as it was. When such a block comes again with the same
// bytes, its samples and its reference are those of last time, so its
// mode and coefficients are too; at steps no finer than then, its levels
// are 0 again, and the transform can be skipped. Screens and fixed
// cameras repeat most of their blocks from frame to frame; a moving
// camera repeats none, and there watching for repeats would only cost, so
// it pauses while they stay rare.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "planes.h"
#include "quantiser.h"

namespace brevan::videnc {

class StillBlocks {
 public:
  // Packets after a watched one that found fewer repeats than one in
  // kWorthwhileShare of the blocks that could repeat, which do not watch.
  static constexpr int kPausePackets = 15;
  static constexpr int kWorthwhileShare = 4;

  // A frame of width x height (validFrameSize); nothing remembered.
  void reset(int width, int height);

  // Before each packet: whether this one watches (looks up repeats and
  // records its blocks). Only a relative packet may (mayWatch), and not
  // while watching pauses.
  bool startPacket(bool mayWatch);
  void endPacket();

  // Whether each block of block row `by` of a plane repeats a block sent
  // as nothing at steps no finer than `steps`; rowBytes is the row's first
  // byte in the frame and stride the plane's width. repeats[bx] for block
  // bx.
  void findRepeats(int plane, int by, const uint8_t* rowBytes, int stride, const QuantSteps& steps,
                   bool* repeats);

  // The outcome of coding block (bx, by) of a plane from the bytes at src:
  // sentAsNothing when it went as a difference block whose levels (the DC
  // one with its prediction added back) were all 0.
  void record(int plane, int bx, int by, const uint8_t* src, int stride, bool sentAsNothing,
              const QuantSteps& steps);

  // A repeat that went as more than nothing after all.
  void forgetBlock(int plane, int bx, int by) { steps_[plane][index(plane, bx, by)] = Steps(); }

  // Repeats found in the last packet.
  size_t repeatsFound() const { return hits_; }

 private:
  size_t index(int plane, int bx, int by) const {
    return static_cast<size_t>(by) * blocksWide_[plane] + bx;
  }
  void forget();

  // Per plane and block, the DC and AC step with which the block was last
  // transformed and went as nothing (0 when it did not; repeats keep
  // them), and that block's bytes. Kept apart, so that forgetting and most
  // look-ups touch only the steps.
  struct Steps {
    uint8_t dc = 0;
    uint8_t ac = 0;
  };
  std::vector<Steps> steps_[kPlaneCount];
  std::vector<uint8_t> bytes_[kPlaneCount];  // 64 per block, row by row
  int blocksWide_[kPlaneCount] = {};

  bool watching_ = false;     // this packet
  bool watchedLast_ = false;  // the packet before, so repeats can be found
  int pause_ = 0;             // packets left that do not watch
  size_t hits_ = 0;
  size_t eligible_ = 0;  // blocks of this packet that could repeat
};

}  // namespace brevan::videnc
