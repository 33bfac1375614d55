// The block-sorting decompressor as its stages run one after another over
// whole buffers: the plain model that the one-pass decoder must match,
// status for status and byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "arithmetic_coder.h"
#include "block_sort.h"
#include "byte_writer.h"
#include "move_to_front.h"
#include "run_length.h"
#include "stage_limits.h"

namespace brevan::spatial::testing {

inline CodecStatus stagedDecompress(const uint8_t* in, size_t n, size_t limit,
                                    std::vector<uint8_t>& out) {
  std::vector<uint8_t> a, b;
  {
    ByteWriter w(a, outerRunLengthLimit(limit));
    if (const CodecStatus s = arithmeticDecode(in, n, w); s != CodecStatus::ok) return s;
    w.finish();
  }
  {
    ByteWriter w(b, blockSortedLimit(limit));
    if (const CodecStatus s = runLengthDecode(a.data(), a.size(), w); s != CodecStatus::ok) return s;
    w.finish();
  }
  moveToFrontDecode(b.data(), b.size());
  {
    ByteWriter w(a, innerRunLengthLimit(limit));
    if (const CodecStatus s = blockSortDecode(b.data(), b.size(), w); s != CodecStatus::ok) return s;
    w.finish();
  }
  ByteWriter w(out, limit);
  const CodecStatus s = runLengthDecode(a.data(), a.size(), w);
  if (s == CodecStatus::ok) w.finish();
  return s;
}

}  // namespace brevan::spatial::testing
