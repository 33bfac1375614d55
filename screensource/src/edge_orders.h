// The order in which the change poller probes the tiles along one edge of a growing region:
// row m lists 0 .. m-1 by their bit-reversed values, so the first probes are spread over the
// whole edge.
#pragma once

#include <cstdint>
#include <vector>

namespace brevan::screensource {

class EdgeOrders {
 public:
  static constexpr int kLongestEdge = 255;  // tiles; packets carry tile numbers in one byte

  EdgeOrders();
  // Entry i of row m (i < m, m <= kLongestEdge).
  int at(int m, int i) const { return entries_[offsets_[m] + i]; }

 private:
  std::vector<uint8_t> entries_;
  std::vector<uint32_t> offsets_;
};

}  // namespace brevan::screensource
