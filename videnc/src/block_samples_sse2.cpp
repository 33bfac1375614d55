#include "simd_dispatch.h"

#if VIDENC_X86
#include <emmintrin.h>

#include "block_prefetch.h"
#include "block_samples.h"

#include "sse2_target_begin.h"

namespace videnc {
namespace {

inline __m128i load(const int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void store(int32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

inline __m128i absolute(__m128i v) {
    const __m128i sign = _mm_srai_epi32(v, 31);
    return _mm_sub_epi32(_mm_xor_si128(v, sign), sign);
}

inline int32_t laneSum(__m128i v) {
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(v);
}

// Lanes beyond +-kIntraLaneLimit, as a nonzero mask.
inline __m128i outsideLimit(__m128i v) {
    return _mm_or_si128(_mm_cmpgt_epi32(v, _mm_set1_epi32(kIntraLaneLimit)),
                        _mm_cmplt_epi32(v, _mm_set1_epi32(-kIntraLaneLimit)));
}

// Values 0, 2, 4 and 6 of a row.
inline __m128i evenColumns(const int32_t* row) {
    const __m128 low = _mm_castsi128_ps(load(row)), high = _mm_castsi128_ps(load(row + 4));
    return _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
}

// 16-bit forms for the relative block.
inline __m128i absolute16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }

// Sum of all eight 16-bit lanes, widened.
inline int32_t laneSum16(__m128i v) { return laneSum(_mm_madd_epi16(v, _mm_set1_epi16(1))); }

// The eight reference samples of a row in 16-bit lanes, and whether any
// lies outside +-kRelativeReferenceLimit (beyond 16 bits they saturate,
// which the same test catches).
inline __m128i referenceRow(const int32_t* row, __m128i& outside) {
    const __m128i v = _mm_packs_epi32(load(row), load(row + 4));
    const __m128i limit = _mm_set1_epi16(static_cast<int16_t>(kRelativeReferenceLimit));
    outside = _mm_or_si128(outside, _mm_or_si128(_mm_cmpgt_epi16(v, limit),
                                                 _mm_cmplt_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), limit))));
    return v;
}

}  // namespace

bool relativeInputSse2(const uint8_t* src, int stride, int32_t bias, const int32_t* reference, bool* intra,
                       int16_t* input) {
    const __m128i zero = _mm_setzero_si128(), offset = _mm_set1_epi16(static_cast<int16_t>(bias));
    __m128i samples[8], difference[8], outside = zero;
    for (int y = 0; y < 8; ++y, src += stride, reference += stride) {
        prefetchRow(src + kFrameBytesAhead);
        prefetchRow(reference + kReferenceSamplesAhead);
        samples[y] = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src)), zero), offset);
        difference[y] = _mm_sub_epi16(samples[y], referenceRow(reference, outside));
    }
    if (_mm_movemask_epi8(outside) != 0) return false;
    // The mode sums over even rows and columns: every partial sum fits a
    // 16-bit lane (16 differences of at most 1279, samples of at most 255).
    const __m128i even = _mm_set1_epi32(0xffff);
    __m128i sad = zero, sum = zero;
    for (int y = 0; y < 8; y += 2) {
        sad = _mm_add_epi16(sad, _mm_and_si128(absolute16(difference[y]), even));
        sum = _mm_add_epi16(sum, _mm_and_si128(samples[y], even));
    }
    const __m128i mean = _mm_set1_epi16(static_cast<int16_t>(laneSum16(sum) / 16));
    __m128i deviation = zero;
    for (int y = 0; y < 8; y += 2) {
        deviation = _mm_add_epi16(deviation, _mm_and_si128(absolute16(_mm_sub_epi16(samples[y], mean)), even));
    }
    *intra = prefersIntra({laneSum16(sad), laneSum16(deviation)});
    const __m128i* chosen = *intra ? samples : difference;
    __m128i* dst = reinterpret_cast<__m128i*>(input);
    for (int y = 0; y < 8; ++y) _mm_storeu_si128(dst + y, chosen[y]);
    return true;
}

void loadBlockSse2(const uint8_t* src, int stride, int32_t bias, int32_t* samples) {
    const __m128i zero = _mm_setzero_si128(), offset = _mm_set1_epi32(bias);
    for (int row = 0; row < 8; ++row, src += stride) {
        const __m128i words = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src)), zero);
        store(samples + 8 * row, _mm_sub_epi32(_mm_unpacklo_epi16(words, zero), offset));
        store(samples + 8 * row + 4, _mm_sub_epi32(_mm_unpackhi_epi16(words, zero), offset));
    }
}

void subtractReferenceSse2(const int32_t* reference, int stride, int32_t* samples) {
    for (int row = 0; row < 8; ++row, reference += stride) {
        store(samples + 8 * row, _mm_sub_epi32(load(samples + 8 * row), load(reference)));
        store(samples + 8 * row + 4, _mm_sub_epi32(load(samples + 8 * row + 4), load(reference + 4)));
    }
}

bool intraSumsSse2(const int32_t* samples, const int32_t* reference, int stride, IntraSums* sums) {
    __m128i s[4], outside = _mm_setzero_si128(), sad = _mm_setzero_si128(), sum = _mm_setzero_si128();
    for (int i = 0; i < 4; ++i) {
        s[i] = evenColumns(samples + 16 * i);
        const __m128i r = evenColumns(reference + 2 * i * stride);
        outside = _mm_or_si128(outside, _mm_or_si128(outsideLimit(s[i]), outsideLimit(r)));
        sad = _mm_add_epi32(sad, absolute(_mm_sub_epi32(s[i], r)));
        sum = _mm_add_epi32(sum, s[i]);
    }
    if (_mm_movemask_epi8(outside) != 0) return false;
    const __m128i mean = _mm_set1_epi32(laneSum(sum) / 16);
    __m128i deviation = _mm_setzero_si128();
    for (int i = 0; i < 4; ++i) deviation = _mm_add_epi32(deviation, absolute(_mm_sub_epi32(s[i], mean)));
    sums->sad = laneSum(sad);
    sums->deviation = laneSum(deviation);
    return true;
}

}  // namespace videnc

#include "simd_target_end.h"
#endif
