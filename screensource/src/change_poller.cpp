#include "change_poller.h"

#include <algorithm>

namespace brevan::screensource {

namespace {

int binaryDigits(int value) {
  int n = 0;
  for (; value > 0; value >>= 1) ++n;
  return n;
}

}  // namespace

ChangePoller::ChangePoller(TileGrid grid, EventQueue& queue, const TileStore& store,
                           TileGrabber& grabber)
    : grid_(grid), queue_(queue), store_(store), grabber_(grabber) {
  bits_ = binaryDigits(std::max(grid.cols, grid.rows) - 1);
  scanPeriod_ = 1 << (2 * bits_);
}

ChangePoller::Probe ChangePoller::probe(int x, int y) {
  const uint32_t* pixels = grabber_.grabTile(x, y);
  if (!pixels) return Probe::kGrabFailed;
  const uint32_t* last = store_.lastSentPixels(x + y * grid_.cols);
  return sameTile(pixels, kTileSide, last) ? Probe::kUnchanged : Probe::kDiffers;
}

bool ChangePoller::extends(int x, int y, bool& failed) {
  if (queue_.covered(x, y)) return false;
  Probe result = probe(x, y);
  failed = result == Probe::kGrabFailed;
  return result == Probe::kDiffers;
}

void ChangePoller::step() {
  // An empty grid has no scan position; one wider than a packet can name is not polled.
  if (grid_.empty() || std::max(grid_.cols, grid_.rows) > EdgeOrders::kLongestEdge) return;
  if (++cycleCounter_ < kRevisitPeriod) {
    scanStep();
  } else {
    cycleCounter_ = 0;
    revisitStep();
  }
}

// The counter's bits de-interleaved and reversed: early positions are spread over the whole
// area, and every tile comes up once per period.
void ChangePoller::nextScanPosition(int& x, int& y) {
  do {
    int k = scanCounter_;
    x = 0;
    y = 0;
    for (int i = 0; i < bits_; ++i) {
      int weight = 1 << (bits_ - 1 - i);
      if (k & (1 << (2 * i))) x += weight;
      if (k & (1 << (2 * i + 1))) y += weight;
    }
    scanCounter_ = (scanCounter_ + 1) % scanPeriod_;
  } while (x >= grid_.cols || y >= grid_.rows);
}

void ChangePoller::scanStep() {
  int x, y;
  nextScanPosition(x, y);
  if (queue_.covered(x, y) || probe(x, y) != Probe::kDiffers) return;
  grow(x, y);
  addHotTile(x, y);
  if (x < grid_.cols - 1) addHotTile(x + 1, y);
}

void ChangePoller::revisitStep() {
  if (hot_.empty()) return;
  HotTile& tile = hot_[hotCursor_];
  if (queue_.covered(tile.x, tile.y)) return;
  Probe result = probe(tile.x, tile.y);
  if (result == Probe::kGrabFailed) return;
  if (result == Probe::kUnchanged) {
    if (--tile.lives == 0) {
      hot_.erase(hot_.begin() + hotCursor_);
      --hotCursor_;
    }
  } else {
    grow(tile.x, tile.y);
    tile.lives = kLives;
  }
  if (++hotCursor_ >= static_cast<int>(hot_.size())) hotCursor_ = 0;
}

void ChangePoller::addHotTile(int x, int y) {
  for (HotTile& tile : hot_) {
    if (tile.x == x && tile.y == y) {
      tile.lives = kLives;
      return;
    }
  }
  if (static_cast<int>(hot_.size()) < kMaxHotTiles) hot_.push_back({x, y, kLives});
}

// Grows a region from a changed tile: each edge in turn probes the tiles beyond it in edge
// order and moves out while they differ; an edge that moves re-opens the edges across it. When
// every edge has probed its whole length without moving, the region is queued.
void ChangePoller::grow(int x, int y) {
  int x0 = x, x1 = x, y0 = y, y1 = y;
  int w = 1, h = 1;
  int left = 0, top = 0, right = 0, bottom = 0;
  bool failed = false;
  const int lastCol = grid_.cols - 1;
  const int lastRow = grid_.rows - 1;
  for (;;) {
    if (left < h) {
      if (x0 == 0) {
        left = h;
      } else {
        int f = edgeOrders_.at(h, left++);
        while (extends(x0 - 1, y0 + f, failed)) {
          --x0, ++w, left = top = bottom = 0;
          if (x0 == 0) {
            left = h;
            break;
          }
        }
        if (failed) return;
      }
    }
    if (left >= h && top >= w && bottom >= w && right >= h) break;
    if (top < w) {
      if (y0 == 0) {
        top = w;
      } else {
        int f = edgeOrders_.at(w, top++);
        while (extends(x0 + f, y0 - 1, failed)) {
          --y0, ++h, top = right = left = 0;
          if (y0 == 0) {
            top = w;
            break;
          }
        }
        if (failed) return;
      }
    }
    if (right < h) {
      int f = edgeOrders_.at(h, right++);
      while (x1 < lastCol && extends(x1 + 1, y0 + f, failed)) ++x1, ++w, top = right = bottom = 0;
      if (failed) return;
      if (x1 == lastCol) right = h;
    }
    if (bottom < w) {
      if (y1 == lastRow) {
        bottom = w;
      } else {
        int f = edgeOrders_.at(w, bottom++);
        while (extends(x0 + f, y1 + 1, failed)) {
          ++y1, ++h, right = bottom = left = 0;
          if (y1 == lastRow) {
            bottom = w;
            break;
          }
        }
        if (failed) return;
      }
    }
  }
  queue_.addTileRect(x0, y0, x1 + 1, y1 + 1);
}

}  // namespace brevan::screensource
