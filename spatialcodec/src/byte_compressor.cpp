#include "byte_compressor.h"

#include <limits>

#include "arithmetic_coder.h"
#include "block_sort.h"
#include "byte_writer.h"
#include "move_to_front.h"
#include "run_length.h"

namespace brevan::spatial {
namespace {

// Inner stages of a stream that decodes to at most `limit` bytes stay within
// these sizes; the bounds saturate instead of wrapping on 32-bit hosts.
size_t saturatingBound(size_t (*bound)(size_t), size_t n) {
  const size_t result = bound(n);
  return result < n ? std::numeric_limits<size_t>::max() : result;
}

size_t innerRunLengthLimit(size_t limit) { return saturatingBound(runLengthBound, limit); }
size_t blockSortedLimit(size_t limit) {
  return saturatingBound(blockSortBound, innerRunLengthLimit(limit));
}
size_t outerRunLengthLimit(size_t limit) {
  return saturatingBound(runLengthBound, blockSortedLimit(limit));
}

}  // namespace

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

CodecStatus decompressBytes(const uint8_t* in, size_t n, size_t limit, std::vector<uint8_t>& out) {
  std::vector<uint8_t> a;
  std::vector<uint8_t> b;
  const size_t hint = std::min(limit, 4 * n + 64);
  {
    ByteWriter w(a, outerRunLengthLimit(limit), hint);
    const CodecStatus s = arithmeticDecode(in, n, w);
    if (s != CodecStatus::ok) return s;
    w.finish();
  }
  {
    ByteWriter w(b, blockSortedLimit(limit), 2 * a.size());
    const CodecStatus s = runLengthDecode(a.data(), a.size(), w);
    if (s != CodecStatus::ok) return s;
    w.finish();
  }
  moveToFrontDecode(b.data(), b.size());
  {
    ByteWriter w(a, innerRunLengthLimit(limit), b.size());
    const CodecStatus s = blockSortDecode(b.data(), b.size(), w);
    if (s != CodecStatus::ok) return s;
    w.finish();
  }
  ByteWriter w(out, limit, std::min(limit, 2 * a.size()));
  const CodecStatus s = runLengthDecode(a.data(), a.size(), w);
  if (s == CodecStatus::ok) w.finish();
  return s;
}

}  // namespace brevan::spatial
