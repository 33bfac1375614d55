// The input of relative blocks in 16-bit lanes, written once for one block
// (128-bit vectors) and for two side by side (256-bit, a block per half):
// the mode sums and choice (prefersIntra) and the transform input, the
// samples of a block coded by itself or else their difference from the
// reference. Rows supplies the vector operations (as Ops) and what depends
// on the width: kBlocks, loading a row of bytes and of reference samples,
// whether any lane is set, per-block sums and constants, and where a row
// of the input goes (Output, storeRow).
// Include only inside a file's SIMD target.
#pragma once

#include <cstdint>

#include "block_prefetch.h"
#include "block_samples.h"

namespace brevan::videnc {
namespace {
namespace lanes {

// False, with nothing written, when a reference sample of a block lies
// outside +-kRelativeReferenceLimit (beyond 16 bits it saturates, which the
// same test catches). Otherwise every difference is within 1279, and every
// partial sum below fits a 16-bit lane (a lane adds at most four values).
template <class Rows>
bool relativeInput(const uint8_t* src, int stride, int32_t bias, const int32_t* reference,
                   bool* intra, typename Rows::Output output) {
  using V = typename Rows::V;
  constexpr int kBlocks = Rows::kBlocks;
  const V zero = Rows::zero(), offset = Rows::set16(static_cast<int16_t>(bias));
  const V high = Rows::set16(static_cast<int16_t>(kRelativeReferenceLimit));
  const V low = Rows::set16(static_cast<int16_t>(-kRelativeReferenceLimit));
  V samples[8], difference[8], outside = zero;
  for (int y = 0; y < 8; ++y, src += stride, reference += stride) {
    prefetchRow(src + kFrameBytesAhead);
    prefetchRow(reference + kBlocks * kReferenceSamplesAhead);
    samples[y] = Rows::sub16(Rows::loadBytes(src), offset);
    const V r = Rows::loadReference(reference);
    outside = Rows::or_(outside, Rows::or_(Rows::cmpgt16(r, high), Rows::cmpgt16(low, r)));
    difference[y] = Rows::sub16(samples[y], r);
  }
  if (Rows::any(outside)) return false;
  // The mode sums over even rows and columns.
  const V even = Rows::set32(0xffff);
  V sad = zero, sum = zero;
  for (int y = 0; y < 8; y += 2) {
    sad = Rows::add16(sad, Rows::and_(Rows::abs16(difference[y]), even));
    sum = Rows::add16(sum, Rows::and_(samples[y], even));
  }
  int32_t sads[kBlocks], sums[kBlocks], deviations[kBlocks];
  Rows::blockSums(sad, sads);
  Rows::blockSums(sum, sums);
  int16_t means[kBlocks];
  for (int b = 0; b < kBlocks; ++b) means[b] = static_cast<int16_t>(sums[b] / 16);
  const V mean = Rows::perBlock(means);
  V deviation = zero;
  for (int y = 0; y < 8; y += 2) {
    deviation =
        Rows::add16(deviation, Rows::and_(Rows::abs16(Rows::sub16(samples[y], mean)), even));
  }
  Rows::blockSums(deviation, deviations);
  int16_t chooseSamples[kBlocks];
  for (int b = 0; b < kBlocks; ++b) {
    intra[b] = prefersIntra({sads[b], deviations[b]});
    chooseSamples[b] = intra[b] ? -1 : 0;
  }
  const V mask = Rows::perBlock(chooseSamples);
  for (int y = 0; y < 8; ++y) {
    Rows::storeRow(Rows::or_(Rows::and_(mask, samples[y]), Rows::andnot(mask, difference[y])), y,
                   output);
  }
  return true;
}

}  // namespace lanes
}  // namespace
}  // namespace brevan::videnc
