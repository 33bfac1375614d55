#include "tile_cache_index.h"

#include <algorithm>

#include "tile_grid.h"

namespace brevan::screensource {

namespace {
constexpr int kFastHalf = 384;      // below this position a promotion halves the position
constexpr int kStepIncrement = 97;  // the promotion step runs 1, 98, 3, 100, 5, ...
constexpr int kStepWrap = 192;
constexpr int kLastPosition = TileCacheIndex::kSlots - 1;
}  // namespace

TileCacheIndex::TileCacheIndex(int tileCount)
    : references_(size_t(tileCount) * kReferencesPerTile) {
  reset();
}

void TileCacheIndex::reset() {
  promotionStep_ = 1;
  for (int i = 0; i < kSlots; ++i) {
    positionToSlot_[i] = i;
    slotToPosition_[i] = i;
  }
  slotHash_.fill(kNoHash);
  slotOwner_.fill(-1);
  slotOwnerRef_.fill(-1);
  std::fill(references_.begin(), references_.end(), -1);
}

void TileCacheIndex::swapPositions(int p, int q) {
  int slotP = positionToSlot_[p];
  int slotQ = positionToSlot_[q];
  positionToSlot_[p] = slotQ;
  positionToSlot_[q] = slotP;
  slotToPosition_[slotQ] = p;
  slotToPosition_[slotP] = q;
}

void TileCacheIndex::promote(int slot) {
  int p = slotToPosition_[slot];
  if (p == 0) return;
  int s = promotionStep_;
  int q = p < kFastHalf ? p / 2 : p - s;
  promotionStep_ = s + kStepIncrement;
  if (promotionStep_ > kStepWrap) promotionStep_ -= kStepWrap;
  swapPositions(p, q);
}

int TileCacheIndex::insert(int tile, uint32_t hash) {
  int* refs = &references_[size_t(tile) * kReferencesPerTile];
  int b = -1;
  for (int i = 0; i < kReferencesPerTile; ++i) {
    if (refs[i] == -1) {
      b = i;
      break;
    }
  }
  if (b == -1) {
    // Every reference is taken: the tile's slot furthest back makes way.
    b = 0;
    for (int i = 1; i < kReferencesPerTile; ++i)
      if (slotToPosition_[refs[i]] > slotToPosition_[refs[b]]) b = i;
    swapPositions(slotToPosition_[refs[b]], kLastPosition);
  }
  int c = positionToSlot_[kLastPosition];
  if (slotOwner_[c] != -1)
    references_[size_t(slotOwner_[c]) * kReferencesPerTile + slotOwnerRef_[c]] = -1;
  slotHash_[c] = static_cast<int32_t>(hash);
  refs[b] = c;
  slotOwner_[c] = tile;
  slotOwnerRef_[c] = b;
  promote(c);
  return c;
}

bool TileCacheIndex::sameLayoutAs(const TileCacheIndex& other) const {
  for (int i = 0; i < kSlots; ++i)
    if ((slotHash_[i] == kNoHash) != (other.slotHash_[i] == kNoHash)) return false;
  return promotionStep_ == other.promotionStep_ && references_ == other.references_ &&
         slotOwner_ == other.slotOwner_ && slotOwnerRef_ == other.slotOwnerRef_ &&
         positionToSlot_ == other.positionToSlot_;
}

// h := ((w and 0xFFFFFF) + 7h) and 0x0FFFFFFF over the 4096 words, starting from 7. Masking to
// 28 bits commutes with the ring operations of 32-bit arithmetic, so the mask is applied once at
// the end; and the chain is split into eight lanes of every eighth word, each stepping by 7^8,
// which the compiler turns into vector multiplies:
//   sum of w[i] * 7^(4095 - i) = sum over lanes j of lane[j] * 7^(7 - j).
// The start value 7, multiplied by 7 once per word: 7^4097 in 32 bits.
constexpr uint32_t startTerm() {
  uint32_t h = 7;
  for (int i = 0; i < kTileWords; ++i) h *= 7;
  return h;
}
constexpr uint32_t kStartTerm = startTerm();

uint32_t tileHash(const uint32_t* rows, int stride) {
  constexpr int kLanes = 8;
  constexpr uint32_t kPow[kLanes + 1] = {1, 7, 49, 343, 2401, 16807, 117649, 823543, 5764801};
  uint32_t lane[kLanes] = {};
  for (int r = 0; r < kTileSide; ++r, rows += stride)
    for (int c = 0; c < kTileSide; c += kLanes)
      for (int j = 0; j < kLanes; ++j)
        lane[j] = lane[j] * kPow[kLanes] + (rows[c + j] & 0x00FFFFFF);
  uint32_t h = kStartTerm;
  for (int j = 0; j < kLanes; ++j) h += lane[j] * kPow[kLanes - 1 - j];
  return h & 0x0FFFFFFF;
}

}  // namespace brevan::screensource
