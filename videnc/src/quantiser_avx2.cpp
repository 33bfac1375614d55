// Both blocks' rows share one 256-bit vector: row y of the first block in
// the low half, of the second in the high half.
#include "simd_dispatch.h"

#if VIDENC_X86
#include <immintrin.h>

#include "quantiser_avx2.h"

#include "avx2_target_begin.h"

#include "avx2_lanes.h"
#include "quantise_rows_avx2.h"

namespace brevan::videnc {

void quantisePairAvx2(const int16_t* first, const int16_t* second, const QuantSteps& steps,
                      int32_t* levelsFirst, int32_t* levelsSecond, uint64_t* nonzero) {
  __m256i rows[8];
  for (int y = 0; y < 8; ++y) rows[y] = avx2::rowOfBoth(first, second, y);
  avx2::quantiseRows(rows, steps, levelsFirst, levelsSecond, nonzero);
}

}  // namespace brevan::videnc

#include "simd_target_end.h"
#endif
