#include "edge_orders.h"

namespace brevan::screensource {

namespace {

int reverse8(int k) {
  int r = 0;
  for (int bit = 0; bit < 8; ++bit)
    if (k & (1 << bit)) r |= 0x80 >> bit;
  return r;
}

}  // namespace

// Row m walks k = 0 .. 255 and keeps the 8-bit reversal of k when it is below m. For m <= 128
// only even k qualify, and the 8-bit reversal of 2j is the 7-bit reversal of j, so these rows
// are exactly the 7-bit table's; the eighth bit only makes room for edges up to 255 tiles.
EdgeOrders::EdgeOrders() : offsets_(kLongestEdge + 2) {
  for (int m = 0; m <= kLongestEdge; ++m) {
    offsets_[m] = static_cast<uint32_t>(entries_.size());
    for (int k = 0; k < 256; ++k) {
      int reversed = reverse8(k);
      if (reversed < m) entries_.push_back(static_cast<uint8_t>(reversed));
    }
  }
  offsets_[kLongestEdge + 1] = static_cast<uint32_t>(entries_.size());
}

}  // namespace brevan::screensource
