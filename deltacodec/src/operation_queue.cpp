#include "operation_queue.h"

#include <algorithm>

namespace brevan::delta {

int OperationQueue::insertAt(int index, const PendingOperation& op) {
  if (size() == kRingSize - 1) index -= writeOldest();
  index = std::clamp(index, 0, size());
  for (int i = size(); i > index; --i) ring_[slot(i)] = ring_[slot(i - 1)];
  ring_[slot(index)] = op;
  end_ = (end_ + 1) % kRingSize;
  return index;
}

int OperationQueue::writeOldest() {
  if (at(0).kind != PendingOperation::Removed) write_(at(0));
  oldest_ = slot(1);
  int gone = 1;
  while (!empty() && at(0).kind == PendingOperation::Removed) {
    oldest_ = slot(1);
    ++gone;
  }
  return gone;
}

int OperationQueue::trim() {
  int gone = 0;
  while (!empty() && at(0).kind == PendingOperation::Removed) {
    oldest_ = slot(1);
    ++gone;
  }
  while (!empty() && at(size() - 1).kind == PendingOperation::Removed) end_ = slot(size() - 1);
  return gone;
}

void OperationQueue::truncate(int index) {
  if (index < size()) end_ = slot(std::max(index, 0));
}

void OperationQueue::writeAll() {
  while (!empty()) writeOldest();
}

}  // namespace brevan::delta
