// Positions of one file by the low 16 bits of their rolling hash, with the full hash beside each.
// Buckets whose number has a low byte below 128 keep the newest position, the others the first
// one entered: the table remembers both recent and early stretches of the file.
#pragma once

#include <cstdint>
#include <vector>

namespace brevan::delta {

class PositionTable {
 public:
  static constexpr uint32_t kBuckets = 65536;
  static constexpr int32_t kEmpty = -1;

  PositionTable() : positions_(kBuckets, kEmpty), hashes_(kBuckets, 0) {}

  static uint32_t bucketOf(uint32_t hash) { return hash & (kBuckets - 1); }

  void enter(int32_t position, uint32_t hash) {
    uint32_t b = bucketOf(hash);
    if (positions_[b] == kEmpty || (b & 0xFF) < 128) {
      positions_[b] = position;
      hashes_[b] = hash;
    }
  }

  int32_t position(uint32_t bucket) const { return positions_[bucket]; }
  uint32_t hash(uint32_t bucket) const { return hashes_[bucket]; }
  void clear(uint32_t bucket) { positions_[bucket] = kEmpty; }

 private:
  std::vector<int32_t> positions_;
  std::vector<uint32_t> hashes_;
};

}  // namespace brevan::delta
