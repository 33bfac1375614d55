#include "tile_store.h"

#include <algorithm>
#include <cstring>

namespace brevan::screensource {

bool sameTile(const uint32_t* rows, int stride, const uint32_t* packed) {
  for (int r = 0; r < kTileSide; ++r, rows += stride, packed += kTileSide)
    if (std::memcmp(rows, packed, kTileSide * sizeof(uint32_t)) != 0) return false;
  return true;
}

void copyTile(const uint32_t* rows, int stride, uint32_t* packed) {
  for (int r = 0; r < kTileSide; ++r, rows += stride, packed += kTileSide)
    std::memcpy(packed, rows, kTileSide * sizeof(uint32_t));
}

TileStore::TileStore(int tileCount)
    : index_(tileCount),
      lastSentHash_(tileCount, TileCacheIndex::kNoHash),
      slots_(size_t(TileCacheIndex::kSlots) * kTileWords),
      lastSent_(size_t(tileCount) * kTileWords) {}

void TileStore::reset() {
  index_.reset();
  std::fill(lastSentHash_.begin(), lastSentHash_.end(), TileCacheIndex::kNoHash);
  std::fill(lastSent_.begin(), lastSent_.end(), 0u);
}

// The hash alone is easy to collide (+1 in one pixel and -7 in the next cancel out), so a match
// is confirmed by the pixels before a tile counts as unchanged.
bool TileStore::unchangedSinceSent(int tile, uint32_t hash, const uint32_t* rows,
                                   int stride) const {
  return static_cast<int32_t>(hash) == lastSentHash(tile) &&
         sameTile(rows, stride, lastSentPixels(tile));
}

bool TileStore::slotHolds(int slot, uint32_t hash, const uint32_t* rows, int stride) const {
  return static_cast<int32_t>(hash) == slotHash(slot) && sameTile(rows, stride, slotPixels(slot));
}

void TileStore::recordSent(int tile, uint32_t hash, const uint32_t* rows, int stride) {
  lastSentHash_[tile] = static_cast<int32_t>(hash);
  copyTile(rows, stride, &lastSent_[size_t(tile) * kTileWords]);
}

int TileStore::find(uint32_t hash, const uint32_t* rows, int stride) const {
  for (int slot = 0; slot < TileCacheIndex::kSlots; ++slot)
    if (slotHolds(slot, hash, rows, stride)) return slot;
  return -1;
}

int TileStore::insert(int tile, uint32_t hash, const uint32_t* rows, int stride) {
  int slot = index_.insert(tile, hash);
  copyTile(rows, stride, &slots_[size_t(slot) * kTileWords]);
  return slot;
}

}  // namespace brevan::screensource
