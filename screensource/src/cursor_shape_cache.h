// The 16 cursor shapes that both ends hold. A cache hit moves the entry one place toward the
// front; a new shape enters at entry 8 and pushes 8 .. 14 back, dropping entry 15. The encoder
// keeps handles, the viewer the shapes themselves, in the same order.
#pragma once

#include <array>
#include <utility>

#include "screen_access.h"

namespace brevan::screensource {

template <typename Entry>
class CursorCacheOrder {
 public:
  static constexpr int kEntries = 16;
  static constexpr int kInsertAt = 8;

  void fill(const Entry& entry) { entries_.fill(entry); }
  // Swap entry i with entry i - 1 (nothing for i = 0).
  void moveForward(int index) {
    if (index > 0) std::swap(entries_[index], entries_[index - 1]);
  }
  void insert(Entry entry) {
    for (int i = kEntries - 1; i > kInsertAt; --i) entries_[i] = std::move(entries_[i - 1]);
    entries_[kInsertAt] = std::move(entry);
  }
  const Entry& at(int index) const { return entries_[index]; }

 private:
  std::array<Entry, kEntries> entries_{};
};

class CursorShapeCache : public CursorCacheOrder<CursorHandle> {
 public:
  static constexpr CursorHandle kEmpty = 0x00132435;

  CursorShapeCache() { reset(); }
  void reset() { fill(kEmpty); }
  // The empty marker is never found, so a cursor whose handle happens to equal it is always
  // sent whole rather than as a reference to an empty entry.
  int find(CursorHandle handle) const {
    if (handle == kEmpty) return -1;
    for (int i = 0; i < kEntries; ++i)
      if (at(i) == handle) return i;
    return -1;
  }
};

}  // namespace brevan::screensource
