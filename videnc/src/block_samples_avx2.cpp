// relativeInputSse2 for two horizontally adjacent blocks at once: each
// 256-bit vector holds a row of the first block in its low half and of
// the second in its high half.
#include "simd_dispatch.h"

#if VIDENC_X86
#include <immintrin.h>

#include "block_prefetch.h"
#include "block_samples.h"

#include "avx2_target_begin.h"

namespace videnc {
namespace {

inline __m256i halves(__m128i low, __m128i high) { return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1); }

inline __m256i zero16() { return _mm256_setzero_si256(); }
inline __m256i absolute16(__m256i v) { return _mm256_abs_epi16(v); }

inline int32_t laneSum(__m128i v) {
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(v);
}

// The sums of the 16-bit lanes of each half, widened.
inline void halfSums(__m256i v, int32_t* sums) {
    const __m256i wide = _mm256_madd_epi16(v, _mm256_set1_epi16(1));
    sums[0] = laneSum(_mm256_castsi256_si128(wide));
    sums[1] = laneSum(_mm256_extracti128_si256(wide, 1));
}

// Row y of both reference blocks in 16-bit lanes; `outside` gathers lanes
// beyond +-kRelativeReferenceLimit (saturated ones included).
inline __m256i referenceRows(const int32_t* row, __m256i& outside) {
    const __m256i packed = _mm256_packs_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row)),
                                              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 8)));
    const __m256i v = _mm256_permute4x64_epi64(packed, _MM_SHUFFLE(3, 1, 2, 0));  // back into block order
    const __m256i limit = _mm256_set1_epi16(static_cast<int16_t>(kRelativeReferenceLimit));
    outside = _mm256_or_si256(outside, _mm256_or_si256(_mm256_cmpgt_epi16(v, limit),
                                                       _mm256_cmpgt_epi16(_mm256_sub_epi16(zero16(), limit), v)));
    return v;
}

}  // namespace

bool relativeInputPairAvx2(const uint8_t* src, int stride, int32_t bias, const int32_t* reference, bool* intra,
                           int16_t* first, int16_t* second) {
    const __m256i zero = _mm256_setzero_si256(), offset = _mm256_set1_epi16(static_cast<int16_t>(bias));
    __m256i samples[8], difference[8], outside = zero;
    for (int y = 0; y < 8; ++y, src += stride, reference += stride) {
        prefetchRow(src + kFrameBytesAhead);
        prefetchRow(reference + 2 * kReferenceSamplesAhead);
        samples[y] = _mm256_sub_epi16(_mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src))), offset);
        difference[y] = _mm256_sub_epi16(samples[y], referenceRows(reference, outside));
    }
    if (!_mm256_testz_si256(outside, outside)) return false;
    // The mode sums over even rows and columns, as in the 128-bit form.
    const __m256i even = _mm256_set1_epi32(0xffff);
    __m256i sad = zero, sum = zero;
    for (int y = 0; y < 8; y += 2) {
        sad = _mm256_add_epi16(sad, _mm256_and_si256(absolute16(difference[y]), even));
        sum = _mm256_add_epi16(sum, _mm256_and_si256(samples[y], even));
    }
    int32_t sads[2], sums[2], deviations[2];
    halfSums(sad, sads);
    halfSums(sum, sums);
    const __m256i mean = halves(_mm_set1_epi16(static_cast<int16_t>(sums[0] / 16)), _mm_set1_epi16(static_cast<int16_t>(sums[1] / 16)));
    __m256i deviation = zero;
    for (int y = 0; y < 8; y += 2) {
        deviation = _mm256_add_epi16(deviation, _mm256_and_si256(absolute16(_mm256_sub_epi16(samples[y], mean)), even));
    }
    halfSums(deviation, deviations);
    for (int i = 0; i < 2; ++i) intra[i] = prefersIntra({sads[i], deviations[i]});
    const __m256i chooseSamples = halves(_mm_set1_epi16(intra[0] ? -1 : 0), _mm_set1_epi16(intra[1] ? -1 : 0));
    for (int y = 0; y < 8; ++y) {
        const __m256i chosen = _mm256_blendv_epi8(difference[y], samples[y], chooseSamples);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(first + 8 * y), _mm256_castsi256_si128(chosen));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(second + 8 * y), _mm256_extracti128_si256(chosen, 1));
    }
    return true;
}

}  // namespace videnc

#include "simd_target_end.h"
#endif
