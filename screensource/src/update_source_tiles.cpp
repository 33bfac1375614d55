// The tile block of one queued rectangle: grab it whole, decide for every tile whether it is
// unchanged, in the cache or new, cut unchanged rows and columns off the block's edges, and
// send the rest.
#include "tile_borders.h"
#include "update_source.h"

namespace brevan::screensource {

namespace {

enum : int { kUnchanged = -2, kNew = -1 };  // else a cache slot

struct Block {
  int x, y, w, h;  // in tiles; the grab holds the tile at (c, r) of the block
  const uint32_t* pixels;

  int stride() const { return kTileSide * w; }
  // The grab is bottom-up: tile row r (from the top) starts at buffer row (h - 1 - r) * 64.
  const uint32_t* tile(int c, int r) const {
    return pixels + size_t(h - 1 - r) * kTileSide * stride() + size_t(c) * kTileSide;
  }
};

struct Span {
  int c0, r0, c1, r1;  // inclusive
};

// Drops top rows, bottom rows, left columns and right columns while all their tiles are
// unchanged. False when nothing is left.
bool shrink(const std::vector<int>& status, int w, Span& s) {
  auto rowUnchanged = [&](int r) {
    for (int c = s.c0; c <= s.c1; ++c)
      if (status[r * w + c] != kUnchanged) return false;
    return true;
  };
  auto columnUnchanged = [&](int c) {
    for (int r = s.r0; r <= s.r1; ++r)
      if (status[r * w + c] != kUnchanged) return false;
    return true;
  };
  while (s.r0 <= s.r1 && rowUnchanged(s.r0)) ++s.r0;
  if (s.r0 > s.r1) return false;
  while (rowUnchanged(s.r1)) --s.r1;
  while (columnUnchanged(s.c0)) ++s.c0;
  while (columnUnchanged(s.c1)) --s.c1;
  return true;
}

}  // namespace

void UpdateSource::tileBlock(PacketBuffer& packet, const UpdateEvent& event) {
  Block block{event.x, event.y, event.w, event.h, nullptr};
  if (block.x < 0 || block.y < 0 || block.w < 1 || block.h < 1 || block.x + block.w > grid_.cols ||
      block.y + block.h > grid_.rows)
    return;  // queued for a grid that has since been rebuilt
  block.pixels = grabber_->grab(block.x * kTileSide, block.y * kTileSide, block.w * kTileSide,
                                block.h * kTileSide);
  if (!block.pixels) return;  // the poller finds the change again later
  const int stride = block.stride();
  tileHash_.resize(size_t(block.w) * block.h);
  tileStatus_.resize(tileHash_.size());
  for (int r = 0; r < block.h; ++r) {
    for (int c = 0; c < block.w; ++c) {
      const uint32_t* rows = block.tile(c, r);
      int t = (block.x + c) + (block.y + r) * grid_.cols;
      uint32_t hash = tileHash(rows, stride);
      tileHash_[r * block.w + c] = hash;
      tileStatus_[r * block.w + c] = store_->unchangedSinceSent(t, hash, rows, stride)
                                         ? kUnchanged
                                         : store_->find(hash, rows, stride);
    }
  }
  Span span{0, 0, block.w - 1, block.h - 1};
  if (!shrink(tileStatus_, block.w, span)) return;
  packet.put8(kTileBlockRecord);
  packet.put8(block.x + span.c0);
  packet.put8(block.y + span.r0);
  packet.put8(span.c1 - span.c0 + 1);
  packet.put8(span.r1 - span.r0 + 1);
  for (int r = span.r0; r <= span.r1; ++r) {
    for (int c = span.c0; c <= span.c1; ++c) {
      int t = (block.x + c) + (block.y + r) * grid_.cols;
      tileRecord(packet, t, block.tile(c, r), stride, tileHash_[r * block.w + c],
                 tileStatus_[r * block.w + c]);
    }
  }
}

void UpdateSource::tileRecord(PacketBuffer& packet, int t, const uint32_t* rows, int stride,
                              uint32_t hash, int status) {
  // A slot found earlier in this block may since have been taken over by an insert.
  if (status >= 0 && !store_->slotHolds(status, hash, rows, stride)) status = kNew;
  if (status == kUnchanged) {
    packet.put8(kUnchangedTile);
  } else if (status >= 0) {
    packet.put8(kSlotTile);
    packet.put16(status);
    store_->promote(status);
    store_->recordSent(t, hash, rows, stride);
  } else {
    newTile(packet, t, rows, stride, hash);
  }
}

void UpdateSource::newTile(PacketBuffer& packet, int t, const uint32_t* rows, int stride,
                           uint32_t hash) {
  coder_.setBits(bitsRequested_.load());
  TileBorders borders = findUnchangedBorders(rows, stride, store_->lastSentPixels(t));
  const uint32_t* inner = rows + size_t(borders.bottom) * stride + borders.left;
  if (!coder_.compress(inner, borders.innerWidth(), borders.innerHeight(), stride)) {
    // Nothing is recorded as sent, so the viewer's copy and ours still agree.
    packet.put8(kUnchangedTile);
    return;
  }
  if (borders.none()) {
    packet.put8(kWholeTile);
  } else {
    packet.put8(kInnerTile);
    PackedBorders packed = packBorders(borders);
    packet.put(packed.bytes, 3);
  }
  coder_.appendCompressed(packet);
  store_->recordSent(t, hash, rows, stride);
  store_->insert(t, hash, rows, stride);
}

}  // namespace brevan::screensource
