// What an accepted packet changes in a viewer's tiles and cache, one operation per effect, in
// packet order. Staging has checked every operation, so applying them cannot fail.
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "packet_format.h"
#include "tile_cache_index.h"

namespace brevan::screensource {

// A new area: a new grid and cache, every tile's pixels zero. The tiles are allocated while
// staging, where running out of memory refuses the packet instead of leaving it half applied.
struct ResetArea {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> tiles;
  TileCacheIndex index;
};

// The tile takes a cached slot's pixels; the slot is promoted.
struct CopySlotToTile {
  int tile = 0;
  int slot = 0;
};

// New pixels for the tile inside its borders (the whole tile when there are none), rows in
// memory order; the tile then enters the cache.
struct WriteTile {
  int tile = 0;
  TileBorders borders;
  std::vector<uint32_t> pixels;
};

using ViewerOperation = std::variant<ResetArea, CopySlotToTile, WriteTile>;

}  // namespace brevan::screensource
