// The bookkeeping of the tile cache that both ends of a screen session keep in step: which of
// the 768 slots each tile references, who owns each slot and the replacement order. Slot numbers
// travel in packets, so every rule here is part of the wire format.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace brevan::screensource {

class TileCacheIndex {
 public:
  static constexpr int kSlots = 768;
  static constexpr int kReferencesPerTile = 8;
  static constexpr int32_t kNoHash = -1;

  explicit TileCacheIndex(int tileCount = 0);

  // Every slot at its own position, every hash, owner and reference empty, step 1.
  void reset();
  // Moves a slot toward the front of the replacement order (half way below position 384, one
  // promotion step above it).
  void promote(int slot);
  // Claims the slot that new content for tile t goes into: t's first free reference, or else the
  // victim among t's slots that sits furthest back; the claimed slot leaves its old owner, takes
  // the hash, and is promoted once. Returns the slot; the caller fills its pixels.
  int insert(int tile, uint32_t hash);

  int tileCount() const { return static_cast<int>(references_.size()) / kReferencesPerTile; }
  int32_t slotHash(int slot) const { return slotHash_[slot]; }
  int slotOwner(int slot) const { return slotOwner_[slot]; }
  int slotOwnerReference(int slot) const { return slotOwnerRef_[slot]; }
  int reference(int tile, int index) const {
    return references_[tile * kReferencesPerTile + index];
  }
  int slotAt(int position) const { return positionToSlot_[position]; }
  int positionOf(int slot) const { return slotToPosition_[slot]; }
  int promotionStep() const { return promotionStep_; }

  // The same order, owners, references and occupied slots. Hashes themselves are not compared:
  // the viewer hashes what it received, which is quantised.
  bool sameLayoutAs(const TileCacheIndex& other) const;

 private:
  void swapPositions(int p, int q);

  int promotionStep_ = 1;
  std::vector<int> references_;
  std::array<int32_t, kSlots> slotHash_;
  std::array<int, kSlots> slotOwner_;
  std::array<int, kSlots> slotOwnerRef_;
  std::array<int, kSlots> positionToSlot_;
  std::array<int, kSlots> slotToPosition_;
};

// The tile hash: linear, cheap and easy to collide, so a hash match is always confirmed by the
// pixels. Rows in memory order, 64 words each, the unused high byte left out.
uint32_t tileHash(const uint32_t* rows, int stride);

}  // namespace brevan::screensource
