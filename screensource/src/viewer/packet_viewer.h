// The viewer's side of screen data packets: it keeps its own mirror of the tile cache and the
// cursor cache and rebuilds the captured area from the records, as the viewer outside does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cursor_shape_cache.h"
#include "tile_cache_index.h"
#include "screen_access.h"
#include "tile_grid.h"
#include "zlib_stream.h"

namespace brevan::screensource {

struct ViewerCursor {
  CursorPosition position;
  bool localActivity = false;
  // The shape on show, null before the first. An area record empties the cache but not the
  // pointer: the source keeps its current shape across a refresh and does not send it again.
  std::shared_ptr<const CursorShape> shape;
};

// Cursor cache entries; empty ones are null. Shared so that a packet can be staged on a copy.
using CursorShapeOrder = CursorCacheOrder<std::shared_ptr<const CursorShape>>;

class PacketViewer {
 public:
  // The widest and tallest area a packet can name: 255 tiles, a tile number being one byte.
  static constexpr int kMaxAreaSide = 255 * 64;
  // Each tile costs 16 KiB, so a few bytes must not ask for gigabytes: 64 megapixels at most.
  static constexpr long long kMaxAreaPixels = 8192LL * 8192;

  // Areas wider or taller than maxAreaSide pixels, or larger than kMaxAreaPixels, are refused.
  explicit PacketViewer(int maxAreaSide = kMaxAreaSide);

  // Applies one packet. A malformed packet (cut short, a record or tile block outside the area,
  // a slot out of range or empty, a bad zlib stream, an inflated size that is not the image's,
  // bytes after the end record) is refused with a reason and leaves the viewer as it was.
  bool apply(const uint8_t* data, size_t size, std::string& error);

  int width() const { return width_; }
  int height() const { return height_; }
  // The rebuilt area, top row first, width x height pixels (blue, green, red, 0).
  std::vector<uint32_t> frame() const;

  const TileCacheIndex& cacheIndex() const { return index_; }
  // The slot's 64 x 64 pixels, bottom row first; null for a slot out of range.
  const uint32_t* slotPixels(int slot) const;
  const ViewerCursor& cursor() const { return cursor_; }
  // The shape at a cursor cache entry; an empty shape (width 0) for an empty or unknown entry.
  const CursorShape& cursorShape(int index) const;

 private:
  class Applier;  // the second pass: applies what staging accepted

  uint32_t* tileImage(int tile) { return &tiles_[size_t(tile) * kTileWords]; }
  uint32_t* slotImage(int slot) { return &slots_[size_t(slot) * kTileWords]; }

  int maxAreaSide_;
  int width_ = 0;
  int height_ = 0;
  TileCacheIndex index_;
  std::vector<uint32_t> slots_;  // TileCacheIndex::kSlots packed tiles
  std::vector<uint32_t> tiles_;  // one packed tile (bottom row first) per tile of the grid
  CursorShapeOrder shapes_;
  ViewerCursor cursor_;
  ExactInflater inflater_;  // one stream for every image of every packet
};

// One line per record of the packet (tile records of a block on the block's line); false with a
// reason when the packet is malformed (what came before is printed).
bool dumpPacket(const uint8_t* data, size_t size, std::ostream& out, std::string& error);

}  // namespace brevan::screensource
