#include "frame_coder.h"

#include <algorithm>

#include "block_coder.h"
#include "block_samples.h"
#include "quantiser_sse2.h"
#include "reconstruction.h"
#include "simd_dispatch.h"
#include "transform.h"
#include "transform_avx2.h"
#include "transform_sse2.h"

namespace brevan::videnc {
namespace {

// Levels of a block of samples and their nonzero mask; in 16-bit SSE2
// lanes from the samples to the divisions where the samples allow.
uint64_t transformAndQuantise(const int32_t* samples, const QuantSteps& steps, int32_t* levels) {
#if VIDENC_X86
  int16_t coeff16[64];
  if (sse2Enabled() && forwardDctSse2(samples, coeff16))
    return quantiseBlockSse2(coeff16, steps, levels);
#endif
  int32_t coeff[64];
  forwardDctPlain(samples, coeff);
  return quantiseBlock(coeff, steps, levels);
}

// Levels of a block coded by itself, straight from the frame bytes.
uint64_t absoluteLevels(const uint8_t* src, int stride, int32_t bias, const QuantSteps& steps,
                        int32_t* levels) {
#if VIDENC_X86
  if (sse2Enabled()) {
    int16_t coeff16[64];
    forwardDctBytesSse2(src, stride, bias, coeff16);
    return quantiseBlockSse2(coeff16, steps, levels);
  }
#endif
  int32_t samples[64];
  loadBlock(src, stride, bias, samples);
  return transformAndQuantise(samples, steps, levels);
}

// Levels of a block of a relative packet and its mode; the reference is
// read only.
uint64_t relativeLevels(const uint8_t* src, int stride, int32_t bias, const int32_t* reference,
                        const QuantSteps& steps, int32_t* levels, bool* intra) {
#if VIDENC_X86
  int16_t input[64];
  if (sse2Enabled() && relativeInputSse2(src, stride, bias, reference, intra, input)) {
    int16_t coeff16[64];
    forwardDct16Sse2(input, coeff16);
    return quantiseBlockSse2(coeff16, steps, levels);
  }
#endif
  int32_t samples[64];
  loadBlock(src, stride, bias, samples);
  *intra = chooseIntra(samples, reference, stride);
  if (!*intra) subtractReference(reference, stride, samples);
  return transformAndQuantise(samples, steps, levels);
}

struct BlockLevels {
  int32_t levels[64];
  uint64_t nonzero;
  bool intra;

  // Makes this a difference block of zero levels.
  void setNothing() {
    std::fill(levels, levels + 64, 0);
    nonzero = 0;
    intra = false;
  }
  // After writeBlock: whether every level the viewer rebuilds is 0.
  bool sentAsNothing() const { return (nonzero & ~uint64_t{1}) == 0 && levels[0] == 0; }
  // A difference block of zero levels after a DC prediction of 0: most
  // blocks of a moving picture, which need neither the coefficient coder
  // nor the rebuild of their reference.
  bool isPlainNothing(int32_t dcPrediction) const {
    return (nonzero | static_cast<uint64_t>(intra) | static_cast<uint32_t>(dcPrediction)) == 0;
  }
};

#if VIDENC_X86
// Levels of two horizontally adjacent blocks, transformed side by side;
// false when a relative block needs the wider arithmetic.
bool levelsOfPairAvx2(PacketKind kind, const uint8_t* src, int stride, int32_t bias,
                      const int32_t* reference, const QuantSteps& steps, BlockLevels* blocks) {
  uint64_t nonzero[2];
  if (kind == PacketKind::Absolute) {
    absoluteLevelsPairAvx2(src, stride, bias, steps, blocks[0].levels, blocks[1].levels, nonzero);
    blocks[0].intra = blocks[1].intra = true;
  } else {
    bool intra[2];
    if (!relativeLevelsPairAvx2(src, stride, bias, reference, steps, intra, blocks[0].levels,
                                blocks[1].levels, nonzero)) {
      return false;
    }
    blocks[0].intra = intra[0];
    blocks[1].intra = intra[1];
  }
  blocks[0].nonzero = nonzero[0];
  blocks[1].nonzero = nonzero[1];
  return true;
}
#endif

#if VIDENC_X86
// Levels of four horizontally adjacent blocks of a relative packet; false
// when a block needs the wider arithmetic.
bool relativeLevelsOfFourAvx512(const uint8_t* src, int stride, int32_t bias,
                                const int32_t* reference, const QuantSteps& steps,
                                BlockLevels* blocks) {
  bool intra[4];
  int32_t* levels[4] = {blocks[0].levels, blocks[1].levels, blocks[2].levels, blocks[3].levels};
  uint64_t nonzero[4];
  if (!relativeLevelsFourAvx512(src, stride, bias, reference, steps, intra, levels, nonzero))
    return false;
  for (int b = 0; b < 4; ++b) {
    blocks[b].intra = intra[b];
    blocks[b].nonzero = nonzero[b];
  }
  return true;
}
#endif

// Levels of up to `count` (1 to 4) horizontally adjacent blocks starting
// at src and reference; returns how many it gave (at least one).
int levelsOfBlocks(PacketKind kind, const uint8_t* src, int stride, int32_t bias,
                   const int32_t* reference, const QuantSteps& steps, int count,
                   BlockLevels* blocks) {
#if VIDENC_X86
  if (count == 4 && kind == PacketKind::Relative && avx512Enabled() &&
      relativeLevelsOfFourAvx512(src, stride, bias, reference, steps, blocks))
    return 4;
  if (count >= 2 && avx2Enabled() &&
      levelsOfPairAvx2(kind, src, stride, bias, reference, steps, blocks))
    return 2;
#endif
  BlockLevels& block = blocks[0];
  if (kind == PacketKind::Absolute) {
    block.intra = true;
    block.nonzero = absoluteLevels(src, stride, bias, steps, block.levels);
  } else {
    block.nonzero = relativeLevels(src, stride, bias, reference, steps, block.levels, &block.intra);
  }
  return 1;
}

}  // namespace

bool chooseIntra(const int32_t* samples, const int32_t* reference, int stride) {
  return prefersIntra(intraSums(samples, reference, stride));
}

FrameCoder::FrameCoder(int width, int height) : width_(width), height_(height) {
  reference_.reset(width, height);
  still_.reset(width, height);
}

void FrameCoder::code(PacketKind kind, const uint8_t* frame, int quant, BitWriter& out) {
  if (kind == PacketKind::Absolute) {
    out.put(1, 1);
    out.put(static_cast<uint32_t>(width_ / 8), 8);
    out.put(static_cast<uint32_t>(height_ / 8), 8);
  } else {
    out.put(0, 1);
    out.put(1, 1);
  }
  out.put(static_cast<uint32_t>(quant), 5);
  const QuantSteps steps(quant);
  const bool watching = still_.startPacket(kind == PacketKind::Relative && reuseStillBlocks_);
  for (int p = 0; p < kPlaneCount; ++p) codePlane(kind, p, frame, steps, watching, out);
  still_.endPacket();
}

void FrameCoder::codePlane(PacketKind kind, int plane, const uint8_t* frame,
                           const QuantSteps& steps, bool watching, BitWriter& out) {
  const PlaneGeometry g = planeGeometry(plane, width_, height_);
  Plane& ref = reference_.plane[plane];
  const int blocksWide = g.width / 8;
  const bool relative = kind == PacketKind::Relative;
  bool repeats[kMaxBlocksPerSide + 1] = {};  // one past the row stays false
  int32_t dcPrediction = 0;
  for (int by = 0; by < g.height / 8; ++by) {
    const uint8_t* row = frame + g.offset + static_cast<size_t>(by) * 8 * g.width;
    if (watching) still_.findRepeats(plane, by, row, g.width, steps, repeats);
    for (int bx = 0; bx < blocksWide;) {
      if (repeats[bx]) {
        codeRepeat(plane, bx, by, steps, dcPrediction, out);
        ++bx;
        continue;
      }
      const uint8_t* src = row + bx * 8;
      int count = 1;
      while (count < 4 && bx + count < blocksWide && !repeats[bx + count]) ++count;
      BlockLevels blocks[4];
      const int done =
          levelsOfBlocks(kind, src, g.width, g.bias, ref.blockAt(bx, by), steps, count, blocks);
      for (int i = 0; i < done; ++i, ++bx, src += 8) {
        BlockLevels& block = blocks[i];
        if (relative && block.isPlainNothing(dcPrediction)) {
          // Intra bit and coded bit 0; the reference stays as it was.
          out.put(0, 2);
        } else {
          if (relative) out.putBit(block.intra);
          writeBlock(out, block.levels, block.nonzero, dcPrediction);
          updateReference(block.intra, block.levels, block.nonzero, steps, ref.blockAt(bx, by),
                          g.width);
        }
        if (watching)
          still_.record(plane, bx, by, src, g.width, !block.intra && block.sentAsNothing(), steps);
      }
    }
  }
}

void FrameCoder::codeRepeat(int plane, int bx, int by, const QuantSteps& steps,
                            int32_t& dcPrediction, BitWriter& out) {
  // Intra bit 0, then the coded bit 0 when nothing is left after the
  // prediction either.
  if (dcPrediction == 0) {
    out.put(0, 2);
    return;
  }
  BlockLevels block;
  block.setNothing();
  out.putBit(false);
  writeBlock(out, block.levels, 0, dcPrediction);
  if (block.levels[0] == 0) return;
  // The prediction lay beyond the escape's reach, so the viewer rebuilds
  // a DC level, and the block changes.
  updateReference(false, block.levels, 1, steps, reference_.plane[plane].blockAt(bx, by),
                  reference_.plane[plane].width);
  still_.forgetBlock(plane, bx, by);
}

}  // namespace brevan::videnc
