// The forward transform and quantiser of two horizontally adjacent blocks
// of frame bytes at once, in 256-bit vectors of 16-bit lanes: the low half
// of each vector carries the lines of the first block, the high half those
// of the second, and both get the exact 16-bit sums of the 128-bit form.
#include "simd_dispatch.h"

#if VIDENC_X86
#include <immintrin.h>

#include "block_prefetch.h"
#include "transform.h"
#include "transform_avx2.h"

#include "avx2_target_begin.h"

#include "avx2_lanes.h"
#include "quantise_rows_avx2.h"

namespace brevan::videnc {

void absoluteLevelsPairAvx2(const uint8_t* src, int stride, int32_t bias, const QuantSteps& steps,
                            int32_t* levelsFirst, int32_t* levelsSecond, uint64_t* nonzero) {
  const __m256i offset = _mm256_set1_epi16(static_cast<int16_t>(bias));
  __m256i rows[8];
  for (int y = 0; y < 8; ++y, src += stride) {
    prefetchRow(src + kFrameBytesAhead);
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    rows[y] = _mm256_sub_epi16(_mm256_cvtepu8_epi16(bytes), offset);
  }
  __m256i coeff[8];
  lanes::forward2d<avx2::Ops>(rows, coeff);
  avx2::quantiseRows(coeff, steps, levelsFirst, levelsSecond, nonzero);
}

}  // namespace brevan::videnc

#include "simd_target_end.h"
#endif
