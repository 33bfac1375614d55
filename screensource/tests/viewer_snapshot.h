// Everything a viewer shows and keeps, captured so that a refused packet can be shown to have
// changed nothing. Shapes are compared by identity: a refused packet must not even replace them.
#pragma once

#include <cstdint>
#include <vector>

#include "viewer/packet_viewer.h"

namespace brevan::screensource::test {

struct ViewerSnapshot {
  explicit ViewerSnapshot(const PacketViewer& viewer)
      : width(viewer.width()),
        height(viewer.height()),
        frame(viewer.frame()),
        index(viewer.cacheIndex()),
        cursor(viewer.cursor()) {
    for (int i = 0; i < CursorShapeOrder::kEntries; ++i) shapes.push_back(&viewer.cursorShape(i));
    for (int slot = 0; slot < TileCacheIndex::kSlots; ++slot) {
      if (index.slotHash(slot) == TileCacheIndex::kNoHash) continue;
      const uint32_t* pixels = viewer.slotPixels(slot);
      slotPixels.insert(slotPixels.end(), pixels, pixels + kTileWords);
    }
  }

  bool operator==(const ViewerSnapshot& o) const {
    for (int slot = 0; slot < TileCacheIndex::kSlots; ++slot)
      if (index.slotHash(slot) != o.index.slotHash(slot)) return false;
    return width == o.width && height == o.height && frame == o.frame &&
           index.sameLayoutAs(o.index) && cursor.position == o.cursor.position &&
           cursor.localActivity == o.cursor.localActivity && cursor.shape == o.cursor.shape &&
           shapes == o.shapes && slotPixels == o.slotPixels;
  }

  int width, height;
  std::vector<uint32_t> frame;
  TileCacheIndex index;
  ViewerCursor cursor;
  std::vector<const CursorShape*> shapes;
  std::vector<uint32_t> slotPixels;  // the occupied slots, in slot order
};

}  // namespace brevan::screensource::test
