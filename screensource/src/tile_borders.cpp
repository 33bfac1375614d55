#include "tile_borders.h"

#include <cstring>

#include "tile_grid.h"

namespace brevan::screensource {

namespace {

constexpr int kMaxBorder = kTileSide - 1;

bool sameRow(const uint32_t* rows, int stride, const uint32_t* last, int r) {
  return std::memcmp(rows + size_t(r) * stride, last + r * kTileSide, kTileSide * 4) == 0;
}

bool sameColumn(const uint32_t* rows, int stride, const uint32_t* last, int c) {
  for (int r = 0; r < kTileSide; ++r)
    if (rows[size_t(r) * stride + c] != last[r * kTileSide + c]) return false;
  return true;
}

// Counts equal lines from the near end (at most 63), then from the far end while the two
// counts stay below 63 together, but only when the near end stopped at a difference.
template <typename Same>
void countFromBothEnds(Same same, int& nearCount, int& farCount) {
  nearCount = 0;
  farCount = 0;
  bool differs = false;
  while (nearCount < kMaxBorder) {
    if (!same(nearCount)) {
      differs = true;
      break;
    }
    ++nearCount;
  }
  if (!differs) return;
  while (nearCount + farCount < kMaxBorder && same(kMaxBorder - farCount)) ++farCount;
}

}  // namespace

TileBorders findUnchangedBorders(const uint32_t* rows, int stride, const uint32_t* lastSent) {
  TileBorders b;
  countFromBothEnds([&](int r) { return sameRow(rows, stride, lastSent, r); }, b.bottom, b.top);
  countFromBothEnds([&](int c) { return sameColumn(rows, stride, lastSent, c); }, b.left, b.right);
  return b;
}

}  // namespace brevan::screensource
