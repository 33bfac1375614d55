// The builder's pending operations: a ring of 2,048 entries in target order that can still be
// edited. Adding to a full ring (2,047 entries) first writes out the oldest entry; removed
// entries keep their slot until they reach either end of the ring, where trim() drops them.
// Entries are addressed by index from the oldest (0) to the newest (size() - 1).
#pragma once

#include <cstdint>
#include <functional>

namespace brevan::delta {

struct PendingOperation {
  enum Kind { Copy, Insert, Removed } kind;
  int64_t length;
  int64_t targetStart;
  int64_t baseOffset;  // -1 for inserts
  int64_t targetEnd() const { return targetStart + length; }
};

class OperationQueue {
 public:
  static constexpr int kRingSize = 2048;
  using Writer = std::function<void(const PendingOperation&)>;

  // write receives every live entry that leaves the ring, in order.
  explicit OperationQueue(Writer write) : write_(std::move(write)) {}

  int size() const { return (end_ - oldest_ + kRingSize) % kRingSize; }
  bool empty() const { return end_ == oldest_; }
  PendingOperation& at(int index) { return ring_[slot(index)]; }
  const PendingOperation& at(int index) const { return ring_[slot(index)]; }

  // Puts op at index (clamped to 0..size()), moving later entries up, and returns its index,
  // which is lower than asked when the ring was full and entries were written out first.
  int insertAt(int index, const PendingOperation& op);
  void append(const PendingOperation& op) { insertAt(size(), op); }
  // Drops removed entries at both ends; returns how many left at the oldest side.
  int trim();
  // Drops every entry from index on.
  void truncate(int index);
  // Writes out every entry, oldest first.
  void writeAll();

 private:
  int slot(int index) const { return (oldest_ + index) % kRingSize; }
  // Writes the oldest entry and moves the oldest index past removed ones; returns how many went.
  int writeOldest();

  Writer write_;
  PendingOperation ring_[kRingSize];
  int oldest_ = 0;
  int end_ = 0;
};

}  // namespace brevan::delta
