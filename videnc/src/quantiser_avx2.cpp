// Both blocks' rows share one 256-bit vector: row y of the first block in
// the low half, of the second in the high half.
#include "simd_dispatch.h"

#if VIDENC_X86
#include <immintrin.h>

#include "quantiser_avx2.h"
#include "transform.h"

#include "avx2_target_begin.h"

#include "avx2_lanes.h"
#include "divide_lanes.h"

namespace videnc {
namespace {

inline void storeWidened(int32_t* p, __m128i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_cvtepi16_epi32(v));
}

}  // namespace

void quantisePairAvx2(const int16_t* first, const int16_t* second, const QuantSteps& steps, int32_t* levelsFirst,
                      int32_t* levelsSecond, uint64_t* nonzero) {
    const lanes::LaneDivider<avx2::Ops> divide(steps.ac);
    const __m256i zero = _mm256_setzero_si256();
    uint64_t zeros[2] = {0, 0};
    for (int y = 0; y < 8; y += 2) {
        __m256i rows[2];
        for (int i = 0; i < 2; ++i) {
            rows[i] = divide(avx2::rowOfBoth(first, second, y + i));
            storeWidened(levelsFirst + 8 * (y + i), _mm256_castsi256_si128(rows[i]));
            storeWidened(levelsSecond + 8 * (y + i), _mm256_extracti128_si256(rows[i], 1));
        }
        // Per half: the zero lanes of rows y and y + 1 of its block.
        const __m256i isZero = _mm256_packs_epi16(_mm256_cmpeq_epi16(rows[0], zero), _mm256_cmpeq_epi16(rows[1], zero));
        const uint32_t bits = static_cast<uint32_t>(_mm256_movemask_epi8(isZero));
        zeros[0] |= static_cast<uint64_t>(bits & 0xffff) << (8 * y);
        zeros[1] |= static_cast<uint64_t>(bits >> 16) << (8 * y);
    }
    nonzero[0] = applySmallBlockRule(levelsFirst, levelsWithOwnDc(zeros[0], first[0], steps, levelsFirst));
    nonzero[1] = applySmallBlockRule(levelsSecond, levelsWithOwnDc(zeros[1], second[0], steps, levelsSecond));
}

}  // namespace videnc

#include "simd_target_end.h"
#endif
