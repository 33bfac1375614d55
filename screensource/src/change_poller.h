// The background search for changes the window hooks missed: one tile per packet cycle in a
// spread-out scan order, every 16th step a revisit of a recently changed ("hot") tile, and from
// every hit a region grown outwards edge by edge and queued as one tile rectangle.
#pragma once

#include <vector>

#include "edge_orders.h"
#include "event_queue.h"
#include "tile_grid.h"
#include "tile_store.h"

namespace brevan::screensource {

// Grabs one tile for the poller: 64 x 64 words, bottom row first; null when the grab failed.
class TileGrabber {
 public:
  virtual ~TileGrabber() = default;
  virtual const uint32_t* grabTile(int x, int y) = 0;
};

class ChangePoller {
 public:
  static constexpr int kRevisitPeriod = 16;
  static constexpr int kLives = 8;
  static constexpr int kMaxHotTiles = 100;

  struct HotTile {
    int x, y, lives;
  };

  ChangePoller(TileGrid grid, EventQueue& queue, const TileStore& store, TileGrabber& grabber);

  void step();
  void grow(int x, int y);

  // The next tile of the scan order (advances the scan counter).
  void nextScanPosition(int& x, int& y);
  int scanPeriod() const { return scanPeriod_; }
  int bits() const { return bits_; }
  const std::vector<HotTile>& hotTiles() const { return hot_; }

 private:
  enum class Probe { kUnchanged, kDiffers, kGrabFailed };
  Probe probe(int x, int y);
  bool extends(int x, int y, bool& failed);
  void addHotTile(int x, int y);
  void scanStep();
  void revisitStep();

  TileGrid grid_;
  EventQueue& queue_;
  const TileStore& store_;
  TileGrabber& grabber_;
  EdgeOrders edgeOrders_;
  int bits_ = 0;
  int scanPeriod_ = 1;
  int scanCounter_ = 0;
  int cycleCounter_ = 0;
  std::vector<HotTile> hot_;
  int hotCursor_ = 0;
};

}  // namespace brevan::screensource
