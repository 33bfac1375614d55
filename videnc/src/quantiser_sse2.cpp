#include "simd_dispatch.h"

#if VIDENC_X86
#include <emmintrin.h>

#include "quantiser_sse2.h"

#include "sse2_target_begin.h"

namespace videnc {
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
        outside = _mm_or_si128(outside, _mm_or_si128(_mm_cmpgt_epi16(v[i], high), _mm_cmplt_epi16(v[i], low)));
    }
    return _mm_movemask_epi8(outside) == 0;
}

// Truncating division of eight lanes: the divider's multiply and shift on
// the magnitudes (its multiplier fits 16 bits and its shift is >= 16).
inline __m128i divideLanes(__m128i v, __m128i multiplier, __m128i shift) {
    const __m128i sign = _mm_srai_epi16(v, 15);
    const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(v, sign), sign);
    const __m128i q = _mm_srl_epi16(_mm_mulhi_epu16(magnitude, multiplier), shift);
    return _mm_sub_epi16(_mm_xor_si128(q, sign), sign);
}

// Sign-extends eight 16-bit levels into levels[0..7].
inline void storeLevels(__m128i v, int32_t* levels) {
    const __m128i sign = _mm_srai_epi16(v, 15);
    __m128i* dst = reinterpret_cast<__m128i*>(levels);
    _mm_storeu_si128(dst, _mm_unpacklo_epi16(v, sign));
    _mm_storeu_si128(dst + 1, _mm_unpackhi_epi16(v, sign));
}

// Levels and nonzero mask of eight vectors of coefficients (row by row).
uint64_t divideLanesBlock(const __m128i* v, const int32_t dcCoeff, const QuantSteps& steps, int32_t* levels) {
    const __m128i multiplier = _mm_set1_epi16(static_cast<int16_t>(steps.ac.multiplier));
    const __m128i shift = _mm_cvtsi32_si128(steps.ac.shift - 16);
    const __m128i zero = _mm_setzero_si128();
    uint64_t zeros = 0;
    for (int i = 0; i < 8; i += 2) {
        const __m128i a = divideLanes(v[i], multiplier, shift), b = divideLanes(v[i + 1], multiplier, shift);
        storeLevels(a, levels + 8 * i);
        storeLevels(b, levels + 8 * i + 8);
        const __m128i isZero = _mm_packs_epi16(_mm_cmpeq_epi16(a, zero), _mm_cmpeq_epi16(b, zero));
        zeros |= static_cast<uint64_t>(_mm_movemask_epi8(isZero)) << (8 * i);
    }
    // The DC lane went through the AC step; redo it with its own.
    levels[0] = steps.dc.divideSmall(dcCoeff);
    return (~zeros & ~uint64_t{1}) | (levels[0] != 0 ? 1u : 0u);
}

}  // namespace

bool divideBlockSse2(const int32_t* coeff, const QuantSteps& steps, int32_t* levels, uint64_t* nonzero) {
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

}  // namespace videnc

#include "simd_target_end.h"
#endif
