#include "viewer/packet_viewer.h"

#include <algorithm>
#include <new>

#include "viewer/packet_reader.h"
#include "viewer/packet_staging.h"

namespace brevan::screensource {

// Replays the cache bookkeeping that staging simulated, on the viewer's own index and with the
// hashes of the pixels as stored, and moves the pixels.
class PacketViewer::Applier {
 public:
  explicit Applier(PacketViewer& viewer) : viewer_(viewer) {}

  void operator()(ResetArea& area) {
    viewer_.width_ = area.width;
    viewer_.height_ = area.height;
    viewer_.index_ = std::move(area.index);
    // The source starts every tile's last-sent pixels at zero; borders are kept against them.
    viewer_.tiles_.swap(area.tiles);
  }

  void operator()(const CopySlotToTile& copy) {
    const uint32_t* slot = viewer_.slotImage(copy.slot);
    std::copy(slot, slot + kTileWords, viewer_.tileImage(copy.tile));
    viewer_.index_.promote(copy.slot);
  }

  void operator()(const WriteTile& write) {
    uint32_t* tile = viewer_.tileImage(write.tile);
    const TileBorders& b = write.borders;
    const int innerWidth = b.innerWidth();
    for (int row = 0; row < b.innerHeight(); ++row) {
      const uint32_t* from = &write.pixels[size_t(row) * innerWidth];
      std::copy(from, from + innerWidth, tile + (b.bottom + row) * kTileSide + b.left);
    }
    const int slot = viewer_.index_.insert(write.tile, tileHash(tile, kTileSide));
    std::copy(tile, tile + kTileWords, viewer_.slotImage(slot));
  }

 private:
  PacketViewer& viewer_;
};

PacketViewer::PacketViewer(int maxAreaSide)
    : maxAreaSide_(maxAreaSide), slots_(size_t(TileCacheIndex::kSlots) * kTileWords, 0) {}

bool PacketViewer::apply(const uint8_t* data, size_t size, std::string& error) {
  PacketStaging staging({width_, height_, &index_, shapes_, cursor_, maxAreaSide_, &inflater_});
  try {
    if (!readPacket(data, size, staging, error)) return false;
  } catch (const std::bad_alloc&) {
    error = "out of memory";
    return false;
  }
  // Everything that allocates happened while staging; applying only moves and copies.
  Applier applier(*this);
  for (ViewerOperation& operation : staging.operations()) std::visit(applier, operation);
  shapes_ = staging.shapes();
  cursor_ = staging.cursor();
  return true;
}

std::vector<uint32_t> PacketViewer::frame() const {
  std::vector<uint32_t> pixels(size_t(width_) * height_);
  const int cols = gridFor(width_, height_).cols;
  for (int y = 0; y < height_; ++y) {
    // Tiles keep their bottom row first; the frame starts at the top.
    const int tileRow = y / kTileSide, rowInTile = kTileSide - 1 - y % kTileSide;
    for (int x = 0; x < width_; ++x) {
      const size_t tile = size_t(tileRow) * cols + x / kTileSide;
      pixels[size_t(y) * width_ + x] =
          tiles_[tile * kTileWords + size_t(rowInTile) * kTileSide + x % kTileSide];
    }
  }
  return pixels;
}

const uint32_t* PacketViewer::slotPixels(int slot) const {
  if (slot < 0 || slot >= TileCacheIndex::kSlots) return nullptr;
  return &slots_[size_t(slot) * kTileWords];
}

const CursorShape& PacketViewer::cursorShape(int index) const {
  static const CursorShape kNoShape;
  if (index < 0 || index >= CursorShapeOrder::kEntries || !shapes_.at(index)) return kNoShape;
  return *shapes_.at(index);
}

}  // namespace brevan::screensource
