// The first pass over a packet: checks every record against the viewer as the packet would
// leave it and inflates the pixels, without touching the viewer. The cache bookkeeping is
// simulated on a copy of the viewer's index (small, unlike the slot images); the cursor state
// is small too and is staged whole.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tile_cache_index.h"
#include "tile_grid.h"
#include "zlib_stream.h"
#include "viewer/packet_reader.h"
#include "viewer/packet_viewer.h"
#include "viewer/viewer_operations.h"

namespace brevan::screensource {

struct ViewerState {
  int width = 0;
  int height = 0;
  const TileCacheIndex* index = nullptr;
  CursorShapeOrder shapes;
  ViewerCursor cursor;
  int maxAreaSide = 0;
  ExactInflater* inflater = nullptr;
};

class PacketStaging : public RecordVisitor {
 public:
  explicit PacketStaging(const ViewerState& viewer);

  bool area(int width, int height, std::string& error) override;
  bool cursor(const CursorAt& at, std::string& error) override;
  bool newShape(const ShapeRecord& shape, std::string& error) override;
  bool cachedShape(int index, const CursorAt& at, std::string& error) override;
  bool tileBlock(const TileBlock& block, std::string& error) override;
  bool tile(const TileRecord& tile, std::string& error) override;

  std::vector<ViewerOperation>& operations() { return operations_; }
  // The cursor state as the packet leaves it.
  const CursorShapeOrder& shapes() const { return state_.shapes; }
  const ViewerCursor& cursor() const { return state_.cursor; }

 private:
  TileCacheIndex& index();
  bool slotTile(const TileRecord& record, std::string& error);
  bool pixelTile(const TileRecord& record, std::string& error);
  bool inflatePixels(ByteSpan compressed, int count, std::vector<uint32_t>& pixels);

  ViewerState state_;
  TileGrid grid_;
  std::optional<TileCacheIndex> index_;  // copied from the viewer's on first use
  std::vector<uint8_t> inflated_;
  std::vector<ViewerOperation> operations_;
};

}  // namespace brevan::screensource
