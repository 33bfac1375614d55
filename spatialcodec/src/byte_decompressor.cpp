// Decompression as one pass: the arithmetic coder's bytes go through the
// other stages a piece at a time, so that no stage holds more than a piece or
// a few blocks and the work stays in the cache.
#include <algorithm>

#include "arithmetic_coder.h"
#include "block_sort.h"
#include "byte_compressor.h"
#include "byte_writer.h"
#include "move_to_front.h"
#include "run_length.h"
#include "stage_limits.h"

namespace brevan::spatial {
namespace {

constexpr size_t kPiece = 8192;  // arithmetic-coded bytes taken at a time
// The blocks the block-sort decoder takes at once, in the form and decoded.
constexpr size_t kGroupBytes = kWalkedTogether * (kMaxBlockBytes + kBlockOverhead);

// The stages after the arithmetic coder. A stage that fails takes nothing
// more, while the stages before it go on to the end: the first stage in
// order to fail gives the result, as if each had run over all its input in
// turn.
class LaterStages {
 public:
  LaterStages(size_t limit, std::vector<uint8_t>& out, size_t outHint)
      : sorted_(sortedBytes_, blockSortedLimit(limit), kGroupBytes + 2 * kPiece),
        blocks_(blockBytes_, innerRunLengthLimit(limit), kGroupBytes),
        out_(out, limit, outHint) {}

  // Takes the arithmetic coder's next bytes at piece + 1; piece[0] is free
  // for a byte the run-length decoder left over from the piece before.
  void take(uint8_t* piece, size_t n) {
    if (innerStatus_ != CodecStatus::ok) return;
    const uint8_t* from = piece + 1 - innerLeft_;
    piece[0] = innerLeftByte_;
    n += innerLeft_;
    size_t used = 0;
    const size_t before = sorted_.size();
    innerStatus_ = inner_.decode(from, n, sorted_, used);
    if (innerStatus_ != CodecStatus::ok) return;
    innerLeft_ = n - used;
    innerLeftByte_ = innerLeft_ != 0 ? from[used] : 0;
    takeSorted(before, false);
  }

  CodecStatus finish() {
    if (innerStatus_ == CodecStatus::ok) {
      const size_t before = sorted_.size();
      innerStatus_ = RunLengthDecoder::finish(&innerLeftByte_, innerLeft_, sorted_);
      if (innerStatus_ == CodecStatus::ok) takeSorted(before, true);
    }
    for (const CodecStatus s : {innerStatus_, blockStatus_, outerStatus_})
      if (s != CodecStatus::ok) return s;
    out_.finish();
    return CodecStatus::ok;
  }

 private:
  // Undoes the move-to-front step on the new bytes from `fresh` on, then
  // decodes the blocks that are whole.
  void takeSorted(size_t fresh, bool last) {
    if (blockStatus_ != CodecStatus::ok) return sorted_.discardFront(sorted_.size());
    frontList_.decode(sorted_.data() + fresh, sorted_.size() - fresh);
    size_t used = 0;
    blockStatus_ = blockSort_.decode(sorted_.data(), sorted_.size(), last, blocks_, used);
    sorted_.discardFront(blockStatus_ == CodecStatus::ok ? used : sorted_.size());
    if (blockStatus_ == CodecStatus::ok) takeBlocks(last);
  }

  void takeBlocks(bool last) {
    if (outerStatus_ != CodecStatus::ok) return blocks_.discardFront(blocks_.size());
    size_t used = 0;
    outerStatus_ = outer_.decode(blocks_.data(), blocks_.size(), out_, used);
    if (outerStatus_ == CodecStatus::ok && last)
      outerStatus_ = RunLengthDecoder::finish(blocks_.data() + used, blocks_.size() - used, out_);
    blocks_.discardFront(outerStatus_ == CodecStatus::ok ? used : blocks_.size());
  }

  std::vector<uint8_t> sortedBytes_, blockBytes_;
  ByteWriter sorted_;  // block-sorted form not yet decoded
  ByteWriter blocks_;  // decoded blocks, still run-length coded
  ByteWriter out_;
  RunLengthDecoder inner_, outer_;
  MoveToFrontDecoder frontList_;
  BlockSortDecoder blockSort_;
  size_t innerLeft_ = 0;
  uint8_t innerLeftByte_ = 0;
  CodecStatus innerStatus_ = CodecStatus::ok;
  CodecStatus blockStatus_ = CodecStatus::ok;
  CodecStatus outerStatus_ = CodecStatus::ok;
};

CodecStatus decompress(const uint8_t* in, size_t n, size_t limit, std::vector<uint8_t>& out) {
  ArithmeticDecoder coded(in, n);
  LaterStages stages(limit, out, std::min(limit, 4 * n + 64));
  size_t room = outerRunLengthLimit(limit);  // for the arithmetic coder's bytes
  uint8_t piece[1 + kPiece];
  for (;;) {
    size_t produced = 0;
    const ArithmeticDecoder::Progress p = coded.decode(piece + 1, kPiece, produced);
    if (produced > room) return CodecStatus::tooLarge;
    room -= produced;
    if (p == ArithmeticDecoder::Progress::badInput) return CodecStatus::badInput;
    stages.take(piece, produced);
    if (p == ArithmeticDecoder::Progress::ended) return stages.finish();
  }
}

}  // namespace

CodecStatus decompressBytes(const uint8_t* in, size_t n, size_t limit, std::vector<uint8_t>& out) {
  const CodecStatus s = decompress(in, n, limit, out);
  if (s != CodecStatus::ok) out.clear();
  return s;
}

}  // namespace brevan::spatial
