#include "simd_dispatch.h"

#if VIDENC_X86
#include <emmintrin.h>

#include "quantiser_sse2.h"
#include "transform.h"

#include "sse2_target_begin.h"

#include "divide_lanes.h"
#include "sse2_lanes.h"

namespace brevan::videnc {
namespace {

// The coefficients as eight vectors of 16-bit lanes; false when one
// saturated or lies beyond the limit.
inline bool loadLanes(const int32_t* coeff, __m128i* v) {
  const __m128i* src = reinterpret_cast<const __m128i*>(coeff);
  const __m128i high = _mm_set1_epi16(static_cast<int16_t>(kQuantLaneLimit));
  const __m128i low = _mm_set1_epi16(static_cast<int16_t>(-kQuantLaneLimit));
  __m128i outside = _mm_setzero_si128();
  for (int i = 0; i < 8; ++i) {
    v[i] = _mm_packs_epi32(_mm_loadu_si128(src + 2 * i), _mm_loadu_si128(src + 2 * i + 1));
    outside = _mm_or_si128(outside,
                           _mm_or_si128(_mm_cmpgt_epi16(v[i], high), _mm_cmplt_epi16(v[i], low)));
  }
  return _mm_movemask_epi8(outside) == 0;
}

// Sign-extends eight 16-bit levels into levels[0..7].
inline void storeLevels(__m128i v, int32_t* levels) {
  const __m128i sign = _mm_srai_epi16(v, 15);
  __m128i* dst = reinterpret_cast<__m128i*>(levels);
  _mm_storeu_si128(dst, _mm_unpacklo_epi16(v, sign));
  _mm_storeu_si128(dst + 1, _mm_unpackhi_epi16(v, sign));
}

// Levels and nonzero mask of eight vectors of coefficients (row by row).
uint64_t divideLanesBlock(const __m128i* v, const int32_t dcCoeff, const QuantSteps& steps,
                          int32_t* levels) {
  const lanes::LaneDivider<sse2::Ops> divide(steps.ac);
  const __m128i zero = _mm_setzero_si128();
  uint64_t zeros = 0;
  for (int i = 0; i < 8; i += 2) {
    const __m128i a = divide(v[i]), b = divide(v[i + 1]);
    storeLevels(a, levels + 8 * i);
    storeLevels(b, levels + 8 * i + 8);
    const __m128i isZero = _mm_packs_epi16(_mm_cmpeq_epi16(a, zero), _mm_cmpeq_epi16(b, zero));
    zeros |= static_cast<uint64_t>(_mm_movemask_epi8(isZero)) << (8 * i);
  }
  return levelsWithOwnDc(zeros, dcCoeff, steps, levels);
}

}  // namespace

bool divideBlockSse2(const int32_t* coeff, const QuantSteps& steps, int32_t* levels,
                     uint64_t* nonzero) {
  __m128i v[8];
  if (!loadLanes(coeff, v)) return false;
  *nonzero = divideLanesBlock(v, coeff[0], steps, levels);
  return true;
}

uint64_t quantiseBlockSse2(const int16_t* coeff, const QuantSteps& steps, int32_t* levels) {
  __m128i v[8];
  for (int i = 0; i < 8; ++i) v[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coeff) + i);
  return applySmallBlockRule(levels, divideLanesBlock(v, coeff[0], steps, levels));
}

}  // namespace brevan::videnc

#include "simd_target_end.h"
#endif
