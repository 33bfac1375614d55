// The input of relative blocks in 16-bit lanes, written once for one block
// (128-bit vectors) and for two side by side (256-bit, a block per half):
// the mode sums and choice (prefersIntra) and the transform input, the
// samples of a block coded by itself or else their difference from the
// reference. Rows supplies the vector operations (as Ops) and what depends
// on the width: kBlocks, loading a row of bytes and of reference samples,
// whether any lane is set, the blocks' flags from a mask, and where a row
// of the input goes (Output, storeRow).
// Include only inside a file's SIMD target.
#pragma once

#include <cstdint>

#include "block_prefetch.h"
#include "block_samples.h"

namespace brevan::videnc {
namespace {
namespace lanes {

// Every 32-bit lane of a 128-bit block's part: the sum of the part's four.
template <class Ops>
inline typename Ops::V blockTotals(typename Ops::V v) {
  v = Ops::add32(v, Ops::template shuffle32<0x4e>(v));
  return Ops::add32(v, Ops::template shuffle32<0xb1>(v));
}

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
  // The mode sums over even rows and columns, and the choice, without
  // leaving the vectors: every 32-bit lane of a block ends up with the
  // block's totals.
  const V even = Rows::set32(0xffff), ones = Rows::set16(1);
  V sad = zero, sum = zero;
  for (int y = 0; y < 8; y += 2) {
    sad = Rows::add16(sad, Rows::and_(Rows::abs16(difference[y]), even));
    sum = Rows::add16(sum, Rows::and_(samples[y], even));
  }
  const V sadTotal = blockTotals<Rows>(Rows::madd(sad, ones));
  const V sumTotal = blockTotals<Rows>(Rows::madd(sum, ones));
  // sum / 16, truncated toward zero, in both 16-bit halves of each lane.
  const V mean32 = Rows::template srai32<4>(
      Rows::add32(sumTotal, Rows::and_(Rows::template srai32<31>(sumTotal), Rows::set32(15))));
  const V mean = Rows::or_(Rows::and_(mean32, even), Rows::template slli32<16>(mean32));
  V deviation = zero;
  for (int y = 0; y < 8; y += 2) {
    deviation =
        Rows::add16(deviation, Rows::and_(Rows::abs16(Rows::sub16(samples[y], mean)), even));
  }
  const V deviationTotal = blockTotals<Rows>(Rows::madd(deviation, ones));
  // prefersIntra: deviation < sad - 32 and deviation > 10.
  const V mask = Rows::and_(Rows::cmpgt32(Rows::sub32(sadTotal, Rows::set32(32)), deviationTotal),
                            Rows::cmpgt32(deviationTotal, Rows::set32(10)));
  Rows::blockFlags(mask, intra);
  for (int y = 0; y < 8; ++y) {
    Rows::storeRow(Rows::or_(Rows::and_(mask, samples[y]), Rows::andnot(mask, difference[y])), y,
                   output);
  }
  return true;
}

}  // namespace lanes
}  // namespace
}  // namespace brevan::videnc
