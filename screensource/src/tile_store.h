// What the receiver last got for every tile, and the 768 cached tile images it mirrors.
#pragma once

#include <cstdint>
#include <vector>

#include "tile_cache_index.h"
#include "tile_grid.h"

namespace brevan::screensource {

class TileStore {
 public:
  explicit TileStore(int tileCount);

  void reset();

  const TileCacheIndex& index() const { return index_; }
  int tileCount() const { return index_.tileCount(); }
  int32_t lastSentHash(int tile) const { return lastSentHash_[tile]; }
  const uint32_t* lastSentPixels(int tile) const { return &lastSent_[size_t(tile) * kTileWords]; }
  const uint32_t* slotPixels(int slot) const { return &slots_[size_t(slot) * kTileWords]; }
  int32_t slotHash(int slot) const { return index_.slotHash(slot); }

  // True when the tile is known to hold exactly what was last sent for it.
  bool unchangedSinceSent(int tile, uint32_t hash, const uint32_t* rows, int stride) const;
  // True when the slot holds exactly these pixels.
  bool slotHolds(int slot, uint32_t hash, const uint32_t* rows, int stride) const;

  void recordSent(int tile, uint32_t hash, const uint32_t* rows, int stride);
  // First slot (in slot order) holding these pixels, or -1.
  int find(uint32_t hash, const uint32_t* rows, int stride) const;
  void promote(int slot) { index_.promote(slot); }
  // The hash is the tile's, as tileHash gives it.
  int insert(int tile, uint32_t hash, const uint32_t* rows, int stride);

 private:
  TileCacheIndex index_;
  std::vector<int32_t> lastSentHash_;
  std::vector<uint32_t> slots_;     // kSlots tiles
  std::vector<uint32_t> lastSent_;  // one tile per tile of the grid
};

// Whether 64 rows of a tile equal a packed 64 x 64 copy, word for word.
bool sameTile(const uint32_t* rows, int stride, const uint32_t* packed);
void copyTile(const uint32_t* rows, int stride, uint32_t* packed);

}  // namespace brevan::screensource
