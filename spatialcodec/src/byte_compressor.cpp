#include "byte_compressor.h"

#include "arithmetic_coder.h"
#include "block_sort.h"
#include "byte_writer.h"
#include "move_to_front.h"
#include "run_length.h"
#include "stage_limits.h"

namespace brevan::spatial {

CodecStatus compressBytes(const uint8_t* in, size_t n, size_t limit, std::vector<uint8_t>& out) {
  std::vector<uint8_t> a;
  std::vector<uint8_t> b;
  {
    ByteWriter w(a, innerRunLengthLimit(n), innerRunLengthLimit(n));
    if (!runLengthEncode(in, n, w)) return CodecStatus::tooLarge;
    w.finish();
  }
  {
    const size_t bound = blockSortBound(a.size());
    ByteWriter w(b, bound, bound);
    if (!blockSortEncode(a.data(), a.size(), w)) return CodecStatus::tooLarge;
    w.finish();
  }
  moveToFrontEncode(b.data(), b.size());
  {
    const size_t bound = runLengthBound(b.size());
    ByteWriter w(a, bound, bound);
    if (!runLengthEncode(b.data(), b.size(), w)) return CodecStatus::tooLarge;
    w.finish();
  }
  ByteWriter w(out, limit, std::min(limit, a.size() + a.size() / 8 + 16));
  if (!arithmeticEncode(a.data(), a.size(), w)) return CodecStatus::tooLarge;
  w.finish();
  return CodecStatus::ok;
}

}  // namespace brevan::spatial
