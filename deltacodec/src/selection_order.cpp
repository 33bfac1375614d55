#include "selection_order.h"

#include <utility>

namespace brevan::delta {
namespace {

// Leaves hold the current list; each inner node the place of the first smallest key below it.
class MinimumTree {
 public:
  explicit MinimumTree(const std::vector<int64_t>& keys) : keys_(keys) {
    while (width_ < keys_.size()) width_ *= 2;
    nodes_.assign(2 * width_, kNone);
    for (size_t i = 0; i < keys_.size(); ++i) nodes_[width_ + i] = i;
    for (size_t n = width_ - 1; n >= 1; --n) nodes_[n] = better(nodes_[2 * n], nodes_[2 * n + 1]);
  }

  // Place of the first smallest key among places from..end.
  size_t firstSmallestFrom(size_t from) const {
    size_t best = kNone;
    size_t lo = from + width_, hi = keys_.size() + width_;
    // Walk the range [lo, hi) bottom-up; left parts before right parts keeps "first" exact.
    size_t rightBest = kNone;
    for (; lo < hi; lo /= 2, hi /= 2) {
      if (lo & 1) best = better(best, nodes_[lo++]);
      if (hi & 1) rightBest = better(nodes_[--hi], rightBest);
    }
    return better(best, rightBest);
  }

  void swapPlaces(size_t a, size_t b) {
    std::swap(keys_[a], keys_[b]);
    refresh(a);
    refresh(b);
  }

  int64_t key(size_t place) const { return keys_[place]; }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  size_t better(size_t a, size_t b) const {
    if (a == kNone) return b;
    if (b == kNone) return a;
    if (keys_[b] < keys_[a] || (keys_[b] == keys_[a] && b < a)) return b;
    return a;
  }

  void refresh(size_t place) {
    for (size_t n = (place + width_) / 2; n >= 1; n /= 2)
      nodes_[n] = better(nodes_[2 * n], nodes_[2 * n + 1]);
  }

  std::vector<int64_t> keys_;
  size_t width_ = 1;
  std::vector<size_t> nodes_;
};

}  // namespace

std::vector<size_t> selectionSortOrder(const std::vector<int64_t>& keys) {
  std::vector<size_t> order(keys.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  MinimumTree tree(keys);
  for (size_t i = 0; i + 1 < order.size(); ++i) {
    size_t smallest = tree.firstSmallestFrom(i);
    if (smallest != i) {
      tree.swapPlaces(i, smallest);
      std::swap(order[i], order[smallest]);
    }
  }
  return order;
}

}  // namespace brevan::delta
