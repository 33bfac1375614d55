// The captured area is cut into tiles of 64 x 64 pixels; everything the screen source tracks,
// caches and sends is counted in tiles.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brevan::screensource {

constexpr int kTileSide = 64;
constexpr int kTileWords = kTileSide * kTileSide;
constexpr size_t kTileBytes = kTileWords * 4;

// A screen pixel as grabbed: blue in the low byte, then green and red; the high byte is unused.
using Pixel = uint32_t;

struct TileGrid {
  int cols = 0;
  int rows = 0;
  int tileCount() const { return cols * rows; }
  bool empty() const { return cols <= 0 || rows <= 0; }
};

// Tiles needed to cover a length in pixels.
inline int tilesFor(int pixels) { return pixels <= 0 ? 0 : (pixels + kTileSide - 1) / kTileSide; }

inline TileGrid gridFor(int width, int height) { return {tilesFor(width), tilesFor(height)}; }

struct Area {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Area& other) const {
    return left == other.left && top == other.top && width == other.width && height == other.height;
  }
  bool operator!=(const Area& other) const { return !(*this == other); }
};

}  // namespace brevan::screensource
