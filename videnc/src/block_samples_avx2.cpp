// The relative input of two horizontally adjacent blocks at once, and its
// transform and quantiser: each 256-bit vector holds a row of the first
// block in its low half and of the second in its high half.
#include "simd_dispatch.h"

#if VIDENC_X86
#include <immintrin.h>

#include "block_prefetch.h"
#include "block_samples.h"
#include "transform.h"

#include "avx2_target_begin.h"

#include "avx2_lanes.h"
#include "quantise_rows_avx2.h"
#include "relative_lanes.h"
#include "sse2_lanes.h"

namespace brevan::videnc {
namespace {

// The width-dependent part of the relative input: two blocks.
struct TwoBlocks : avx2::Ops {
  static constexpr int kBlocks = 2;
  static V loadBytes(const uint8_t* src) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)));
  }
  static V loadReference(const int32_t* row) {
    const V packed =
        _mm256_packs_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row)),
                           _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 8)));
    return _mm256_permute4x64_epi64(packed,
                                    _MM_SHUFFLE(3, 1, 2, 0));  // the pack interleaves the blocks
  }
  static bool any(V v) { return !_mm256_testz_si256(v, v); }
  static void blockFlags(V mask, bool* flags) {
    const uint32_t bits = static_cast<uint32_t>(_mm256_movemask_epi8(mask));
    flags[0] = (bits & 1) != 0;
    flags[1] = (bits >> 16 & 1) != 0;
  }
  // The rows stay in vectors for the transform.
  using Output = V*;
  static void storeRow(V v, int y, V* rows) { rows[y] = v; }
};

}  // namespace

bool relativeLevelsPairAvx2(const uint8_t* src, int stride, int32_t bias, const int32_t* reference,
                            const QuantSteps& steps, bool* intra, int32_t* levelsFirst,
                            int32_t* levelsSecond, uint64_t* nonzero) {
  __m256i rows[8];
  if (!lanes::relativeInput<TwoBlocks>(src, stride, bias, reference, intra, rows)) return false;
  __m256i coeff[8];
  lanes::forward2d<avx2::Ops>(rows, coeff);
  avx2::quantiseRows(coeff, steps, levelsFirst, levelsSecond, nonzero);
  return true;
}

}  // namespace brevan::videnc

#include "simd_target_end.h"
#endif
