// Screen data packets: a sequence of records, each starting with a one-byte code, 16-bit numbers
// big-endian, tile coordinates in single bytes, always ending with the end record.
//
//   6 area          0, width16, height16 (pixels)
//   1 cursor        x16 (+0x4000 while the local user is active), y16
//   2 new shape     width8, height8, hotspotX8, hotspotY8, n16, n bytes zlib, x16, y16
//   3 cached shape  index8, x16, y16
//   4 tile block    x8, y8, w8, h8, then w x h tile records, rows top to bottom, left to right
//   5 end
//
// Tile records: 128 unchanged; 64 slot16 (same as a cache slot); 0 n16 + n bytes (whole tile);
// 32 three border-count bytes, n16 + n bytes (the inner rectangle of a tile whose borders kept
// their last-sent pixels).
#pragma once

#include <cstdint>

namespace brevan::screensource {

enum RecordCode : uint8_t {
  kCursorRecord = 1,
  kNewShapeRecord = 2,
  kCachedShapeRecord = 3,
  kTileBlockRecord = 4,
  kEndRecord = 5,
  kAreaRecord = 6,
};

enum TileCode : uint8_t {
  kWholeTile = 0,
  kInnerTile = 32,
  kSlotTile = 64,
  kUnchangedTile = 128,
};

constexpr int kLocalActivityFlag = 0x4000;
constexpr uint32_t kKeyColour = 0x00FF00FF;

// Rows and columns at each edge of a tile that kept their last-sent pixels, 0 .. 63 each.
// Rows count from the tile's bottom row (the first in memory).
struct TileBorders {
  int left = 0, right = 0, bottom = 0, top = 0;
  bool none() const { return left == 0 && right == 0 && bottom == 0 && top == 0; }
  int innerWidth() const { return 64 - left - right; }
  int innerHeight() const { return 64 - bottom - top; }
};

struct PackedBorders {
  uint8_t bytes[3];
};

inline PackedBorders packBorders(const TileBorders& b) {
  return {{static_cast<uint8_t>((b.right & 0x0F) | ((b.left & 0x0F) << 4)),
           static_cast<uint8_t>((b.top & 0x0F) | ((b.bottom & 0x0F) << 4)),
           static_cast<uint8_t>(((b.top >> 4) & 3) | ((b.bottom >> 2) & 0x0C) | (b.right & 0x30) |
                                ((b.left & 0x30) << 2))}};
}

inline TileBorders unpackBorders(const uint8_t* p) {
  TileBorders b;
  b.right = (p[0] & 0x0F) | (p[2] & 0x30);
  b.left = (p[0] >> 4) | ((p[2] & 0xC0) >> 2);
  b.top = (p[1] & 0x0F) | ((p[2] & 0x03) << 4);
  b.bottom = (p[1] >> 4) | ((p[2] & 0x0C) << 2);
  return b;
}

}  // namespace brevan::screensource
