// The process-wide table of image filters that callers name by index 0..9.
// Like the filters themselves it takes no lock: callers serialise their use.
#pragma once

#include <array>
#include <memory>

#include "image_filter.h"

namespace brevan::spatial {

class FilterTable {
 public:
  static constexpr int kSlots = 10;

  static FilterTable& process();

  // The lowest empty slot, now holding a new filter; -1 when all are taken.
  int acquire();
  // True if the slot held a filter, which is freed.
  bool release(int index);
  // Out-of-range indexes and empty slots are ignored.
  void reset(int index);
  void setBitsPerColor(int bits, int index);

  static bool validIndex(int index) { return index >= 0 && index < kSlots; }
  // Null for an empty slot or an index outside the table.
  ImageFilter* find(int index);

 private:
  std::array<std::unique_ptr<ImageFilter>, kSlots> slots_;
};

}  // namespace brevan::spatial
