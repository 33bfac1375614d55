// The relative input of four horizontally adjacent blocks at once, and its
// transform and quantiser: each 512-bit vector holds a row of every block,
// block b in its quarter b.
#include "simd_dispatch.h"

#if VIDENC_X86
#if defined(__GNUC__) && !defined(__clang__)
// The compiler's own AVX-512 headers trip these under a target pragma.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include "block_prefetch.h"
#include "block_samples.h"
#include "transform.h"

#include "avx512_target_begin.h"

#include "avx512_lanes.h"
#include "divide_lanes.h"
#include "relative_lanes.h"

namespace brevan::videnc {
namespace {

using avx512::quarter;

// The width-dependent part of the relative input: four blocks.
struct FourBlocks : avx512::Ops {
  static constexpr int kBlocks = 4;
  static V loadBytes(const uint8_t* src) {
    return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src)));
  }
  // Saturating like the narrower packs, so that the bounds test sees
  // every sample beyond 16 bits.
  static V loadReference(const int32_t* row) {
    const __m256i first = _mm512_cvtsepi32_epi16(_mm512_loadu_si512(row));
    const __m256i second = _mm512_cvtsepi32_epi16(_mm512_loadu_si512(row + 16));
    return _mm512_inserti64x4(_mm512_castsi256_si512(first), second, 1);
  }
  static bool any(V v) { return _mm512_test_epi64_mask(v, v) != 0; }
  static void blockFlags(V mask, bool* flags) {
    const uint32_t bits = _mm512_test_epi32_mask(mask, mask);
    for (int b = 0; b < 4; ++b) flags[b] = (bits >> (4 * b) & 1) != 0;
  }
  // The rows stay in vectors for the transform.
  using Output = V*;
  static void storeRow(V v, int y, V* rows) { rows[y] = v; }
};

// Row y of every block's levels, widened to 32 bits: two quarters a widening.
inline void storeRowWidened(int32_t* const* levels, int y, __m512i v) {
  const __m512i first = _mm512_cvtepi16_epi32(_mm512_castsi512_si256(v));
  const __m512i second = _mm512_cvtepi16_epi32(_mm512_extracti64x4_epi64(v, 1));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(levels[0] + 8 * y), _mm512_castsi512_si256(first));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(levels[1] + 8 * y),
                      _mm512_extracti64x4_epi64(first, 1));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(levels[2] + 8 * y),
                      _mm512_castsi512_si256(second));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(levels[3] + 8 * y),
                      _mm512_extracti64x4_epi64(second, 1));
}

// Whether each level is 0, as a 64-bit mask per block (bit i for natural
// position i): the rows go to bytes (saturating, so zeros stay zeros), and
// the 128-bit quarters, rows y and y + 1 of one block each, are
// transposed so that a vector holds one block.
void zeroMasks(const __m512i* levels, uint64_t* zeros) {
  const __m512i a = _mm512_packs_epi16(levels[0], levels[1]);
  const __m512i b = _mm512_packs_epi16(levels[2], levels[3]);
  const __m512i c = _mm512_packs_epi16(levels[4], levels[5]);
  const __m512i d = _mm512_packs_epi16(levels[6], levels[7]);
  const __m512i ab01 = _mm512_shuffle_i64x2(a, b, _MM_SHUFFLE(1, 0, 1, 0));
  const __m512i ab23 = _mm512_shuffle_i64x2(a, b, _MM_SHUFFLE(3, 2, 3, 2));
  const __m512i cd01 = _mm512_shuffle_i64x2(c, d, _MM_SHUFFLE(1, 0, 1, 0));
  const __m512i cd23 = _mm512_shuffle_i64x2(c, d, _MM_SHUFFLE(3, 2, 3, 2));
  const __m512i zero = _mm512_setzero_si512();
  zeros[0] =
      _mm512_cmpeq_epi8_mask(_mm512_shuffle_i64x2(ab01, cd01, _MM_SHUFFLE(2, 0, 2, 0)), zero);
  zeros[1] =
      _mm512_cmpeq_epi8_mask(_mm512_shuffle_i64x2(ab01, cd01, _MM_SHUFFLE(3, 1, 3, 1)), zero);
  zeros[2] =
      _mm512_cmpeq_epi8_mask(_mm512_shuffle_i64x2(ab23, cd23, _MM_SHUFFLE(2, 0, 2, 0)), zero);
  zeros[3] =
      _mm512_cmpeq_epi8_mask(_mm512_shuffle_i64x2(ab23, cd23, _MM_SHUFFLE(3, 1, 3, 1)), zero);
}

// quantiseBlockSse2 of the four blocks whose coefficient rows share the
// vectors.
void quantiseFour(const __m512i* rows, const QuantSteps& steps, int32_t* const* levels,
                  uint64_t* nonzero) {
  const lanes::LaneDivider<avx512::Ops> divide(steps.ac);
  __m512i level[8];
  for (int y = 0; y < 8; ++y) {
    level[y] = divide(rows[y]);
    storeRowWidened(levels, y, level[y]);
  }
  uint64_t zeros[4];
  zeroMasks(level, zeros);
  const int16_t dc[4] = {static_cast<int16_t>(_mm_extract_epi16(quarter<0>(rows[0]), 0)),
                         static_cast<int16_t>(_mm_extract_epi16(quarter<1>(rows[0]), 0)),
                         static_cast<int16_t>(_mm_extract_epi16(quarter<2>(rows[0]), 0)),
                         static_cast<int16_t>(_mm_extract_epi16(quarter<3>(rows[0]), 0))};
  for (int b = 0; b < 4; ++b)
    nonzero[b] = applySmallBlockRuleWithoutJumps(
        levels[b], levelsWithOwnDc(zeros[b], dc[b], steps, levels[b]));
}

}  // namespace

bool relativeLevelsFourAvx512(const uint8_t* src, int stride, int32_t bias,
                              const int32_t* reference, const QuantSteps& steps, bool* intra,
                              int32_t* const* levels, uint64_t* nonzero) {
  __m512i rows[8];
  if (!lanes::relativeInput<FourBlocks>(src, stride, bias, reference, intra, rows)) return false;
  __m512i coeff[8];
  lanes::forward2d<avx512::Ops>(rows, coeff);
  quantiseFour(coeff, steps, levels, nonzero);
  return true;
}

}  // namespace brevan::videnc

#include "simd_target_end.h"
#endif
