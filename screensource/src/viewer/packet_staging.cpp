#include "viewer/packet_staging.h"

#include <memory>

namespace brevan::screensource {
namespace {

// The viewer hashes what it stores when it applies the packet; staging needs only to know that
// a slot is taken.
constexpr uint32_t kStagedHash = 0;

uint32_t pixelFromBytes(const uint8_t* bgr0) {
  return uint32_t(bgr0[0]) | uint32_t(bgr0[1]) << 8 | uint32_t(bgr0[2]) << 16;
}

std::string tileName(const TileRecord& tile) {
  return "tile " + std::to_string(tile.x) + "," + std::to_string(tile.y);
}

}  // namespace

PacketStaging::PacketStaging(const ViewerState& viewer)
    : state_(viewer), grid_(gridFor(viewer.width, viewer.height)) {}

TileCacheIndex& PacketStaging::index() {
  if (!index_) index_ = *state_.index;
  return *index_;
}

bool PacketStaging::area(int width, int height, std::string& error) {
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  if (width > state_.maxAreaSide || height > state_.maxAreaSide) {
    error =
        "area " + size + " is larger than " + std::to_string(state_.maxAreaSide) + " pixels a side";
    return false;
  }
  if (1LL * width * height > PacketViewer::kMaxAreaPixels) {
    error = "area " + size + " has more than " + std::to_string(PacketViewer::kMaxAreaPixels) +
            " pixels";
    return false;
  }
  grid_ = gridFor(width, height);
  index_.emplace(grid_.tileCount());
  state_.shapes.fill(nullptr);
  operations_.push_back(ResetArea{width, height,
                                  std::vector<uint32_t>(size_t(grid_.tileCount()) * kTileWords),
                                  TileCacheIndex(grid_.tileCount())});
  return true;
}

bool PacketStaging::cursor(const CursorAt& at, std::string&) {
  state_.cursor.position = {at.x, at.y};
  state_.cursor.localActivity = at.localActivity;
  return true;
}

bool PacketStaging::newShape(const ShapeRecord& record, std::string& error) {
  if (record.width == 0 || record.height == 0) {
    error = "empty cursor shape";
    return false;
  }
  auto shape = std::make_shared<CursorShape>();
  shape->width = record.width;
  shape->height = record.height;
  shape->hotspotX = record.hotspotX;
  shape->hotspotY = record.hotspotY;
  if (!inflatePixels(record.compressed, record.width * record.height, shape->pixels)) {
    error = "cursor shape pixels do not inflate to " + std::to_string(record.width) + "x" +
            std::to_string(record.height);
    return false;
  }
  state_.cursor.shape = shape;
  state_.shapes.insert(std::move(shape));
  return cursor(record.at, error);
}

bool PacketStaging::cachedShape(int index, const CursorAt& at, std::string& error) {
  if (index >= CursorShapeOrder::kEntries || !state_.shapes.at(index)) {
    error = "cursor cache entry " + std::to_string(index) + " is empty";
    return false;
  }
  state_.cursor.shape = state_.shapes.at(index);
  state_.shapes.moveForward(index);
  return cursor(at, error);
}

bool PacketStaging::tileBlock(const TileBlock& block, std::string& error) {
  if (block.width >= 1 && block.height >= 1 && block.x + block.width <= grid_.cols &&
      block.y + block.height <= grid_.rows)
    return true;
  error = "tile block at " + std::to_string(block.x) + "," + std::to_string(block.y) + " of " +
          std::to_string(block.width) + "x" + std::to_string(block.height) +
          " tiles is not inside the area of " + std::to_string(grid_.cols) + "x" +
          std::to_string(grid_.rows) + " tiles";
  return false;
}

bool PacketStaging::tile(const TileRecord& record, std::string& error) {
  switch (record.code) {
    case kUnchangedTile:
      return true;
    case kSlotTile:
      return slotTile(record, error);
    default:
      return pixelTile(record, error);
  }
}

bool PacketStaging::slotTile(const TileRecord& record, std::string& error) {
  if (record.slot >= TileCacheIndex::kSlots ||
      index().slotHash(record.slot) == TileCacheIndex::kNoHash) {
    error = tileName(record) + " refers to cache slot " + std::to_string(record.slot) +
            ", which is " + (record.slot >= TileCacheIndex::kSlots ? "out of range" : "empty");
    return false;
  }
  index().promote(record.slot);
  operations_.push_back(CopySlotToTile{record.x + record.y * grid_.cols, record.slot});
  return true;
}

bool PacketStaging::pixelTile(const TileRecord& record, std::string& error) {
  const TileBorders& borders = record.borders;  // none for a whole tile
  if (borders.innerWidth() < 1 || borders.innerHeight() < 1) {
    error = tileName(record) + " has borders that leave nothing inside";
    return false;
  }
  WriteTile write{record.x + record.y * grid_.cols, borders, {}};
  if (!inflatePixels(record.compressed, borders.innerWidth() * borders.innerHeight(),
                     write.pixels)) {
    error = tileName(record) + ": pixels do not inflate to " +
            std::to_string(borders.innerWidth()) + "x" + std::to_string(borders.innerHeight());
    return false;
  }
  index().insert(write.tile, kStagedHash);
  operations_.push_back(std::move(write));
  return true;
}

bool PacketStaging::inflatePixels(ByteSpan compressed, int count, std::vector<uint32_t>& pixels) {
  inflated_.resize(size_t(count) * 4);
  if (!state_.inflater->inflate(compressed.data, compressed.size, inflated_.data(),
                                inflated_.size()))
    return false;
  pixels.resize(size_t(count));
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = pixelFromBytes(&inflated_[4 * i]);
  return true;
}

}  // namespace brevan::screensource
