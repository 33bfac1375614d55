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

  PositionTable() : buckets_(kBuckets, Bucket{kEmpty, 0}) {}

  static uint32_t bucketOf(uint32_t hash) { return hash & (kBuckets - 1); }

  void enter(int32_t position, uint32_t hash) {
    uint32_t b = bucketOf(hash);
    if (buckets_[b].position == kEmpty || (b & 0xFF) < 128) buckets_[b] = {position, hash};
  }

  int32_t position(uint32_t bucket) const { return buckets_[bucket].position; }
  uint32_t hash(uint32_t bucket) const { return buckets_[bucket].hash; }
  void clear(uint32_t bucket) { buckets_[bucket].position = kEmpty; }

 private:
  // Position and hash side by side: a lookup touches one cache line.
  struct Bucket {
    int32_t position;
    uint32_t hash;
  };
  std::vector<Bucket> buckets_;
};

}  // namespace brevan::delta
