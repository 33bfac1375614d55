// How large each inner stage of the block-sorting compressor may grow for a
// result of at most `limit` bytes. The bounds saturate instead of wrapping on
// 32-bit hosts.
#pragma once

#include <cstddef>
#include <limits>

#include "block_sort.h"
#include "run_length.h"

namespace brevan::spatial {

inline size_t saturatingBound(size_t (*bound)(size_t), size_t n) {
  const size_t result = bound(n);
  return result < n ? std::numeric_limits<size_t>::max() : result;
}

inline size_t innerRunLengthLimit(size_t limit) { return saturatingBound(runLengthBound, limit); }

inline size_t blockSortedLimit(size_t limit) {
  return saturatingBound(blockSortBound, innerRunLengthLimit(limit));
}

inline size_t outerRunLengthLimit(size_t limit) {
  return saturatingBound(runLengthBound, blockSortedLimit(limit));
}

}  // namespace brevan::spatial
