#include "still_blocks.h"

#include <algorithm>
#include <cstring>

namespace brevan::videnc {
namespace {

uint64_t rowOf(const uint8_t* p) {
  uint64_t row;
  std::memcpy(&row, p, sizeof row);
  return row;
}

bool sameBytes(const uint8_t* remembered, const uint8_t* src, int stride) {
  uint64_t differ = 0;
  for (int y = 0; y < 8; ++y, src += stride) differ |= rowOf(remembered + 8 * y) ^ rowOf(src);
  return differ == 0;
}

}  // namespace

void StillBlocks::reset(int width, int height) {
  for (int p = 0; p < kPlaneCount; ++p) {
    const PlaneGeometry g = planeGeometry(p, width, height);
    const size_t blocks = static_cast<size_t>(g.width / 8) * (g.height / 8);
    blocksWide_[p] = g.width / 8;
    steps_[p].assign(blocks, Steps());
    bytes_[p].assign(blocks * 64, 0);
  }
  watching_ = watchedLast_ = false;
  pause_ = 0;
  hits_ = eligible_ = 0;
}

void StillBlocks::forget() {
  for (std::vector<Steps>& plane : steps_) std::fill(plane.begin(), plane.end(), Steps());
}

bool StillBlocks::startPacket(bool mayWatch) {
  hits_ = eligible_ = 0;
  // A packet that does not record (an absolute one replaces every
  // reference block) leaves what is remembered stale, and the next packet
  // that watches forgets it.
  watching_ = mayWatch && pause_ == 0;
  if (mayWatch && pause_ > 0) --pause_;
  if (watching_ && !watchedLast_) forget();
  return watching_;
}

void StillBlocks::endPacket() {
  // Only a packet after a watched one could find repeats, and only among
  // the blocks sent as nothing at steps no finer than its own: when the
  // steps got finer, the packet says nothing about the picture.
  if (watching_ && watchedLast_ && hits_ * kWorthwhileShare < eligible_) pause_ = kPausePackets;
  watchedLast_ = watching_;
}

void StillBlocks::findRepeats(int plane, int by, const uint8_t* rowBytes, int stride,
                              const QuantSteps& steps, bool* repeats) {
  const size_t first = index(plane, 0, by);
  for (int bx = 0; bx < blocksWide_[plane]; ++bx) {
    // Coarser steps only shrink the levels, and the small-block rule
    // then removes what it removed before.
    const Steps& then = steps_[plane][first + bx];
    const bool eligible = then.ac != 0 && steps.dc.step >= then.dc && steps.ac.step >= then.ac;
    repeats[bx] =
        eligible && sameBytes(&bytes_[plane][(first + bx) * 64], rowBytes + 8 * bx, stride);
    eligible_ += eligible ? 1 : 0;
    hits_ += repeats[bx] ? 1 : 0;
  }
}

void StillBlocks::record(int plane, int bx, int by, const uint8_t* src, int stride,
                         bool sentAsNothing, const QuantSteps& steps) {
  const size_t at = index(plane, bx, by);
  Steps& now = steps_[plane][at];
  if (!sentAsNothing) {
    now = Steps();
    return;
  }
  now.dc = static_cast<uint8_t>(steps.dc.step);
  now.ac = static_cast<uint8_t>(steps.ac.step);
  uint8_t* bytes = &bytes_[plane][at * 64];
  for (int y = 0; y < 8; ++y, src += stride) std::memcpy(bytes + 8 * y, src, 8);
}

}  // namespace brevan::videnc
