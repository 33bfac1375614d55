// The quantiser for two blocks whose coefficient rows share 256-bit
// vectors (row y of the first block in the low half of rows[y], of the
// second in the high half), so that a transform can hand its rows over
// in registers. Include only inside a file's AVX2 target.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "avx2_lanes.h"
#include "divide_lanes.h"
#include "quantiser.h"

namespace brevan::videnc {
namespace {
namespace avx2 {

inline void storeWidened(int32_t* p, __m128i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_cvtepi16_epi32(v));
}

// quantiseBlockSse2 of both blocks (16-bit coefficients, each within
// +-kQuantLaneLimit); the nonzero masks go to nonzero[0] and [1].
inline void quantiseRows(const __m256i* rows, const QuantSteps& steps, int32_t* levelsFirst,
                         int32_t* levelsSecond, uint64_t* nonzero) {
  const lanes::LaneDivider<Ops> divide(steps.ac);
  const __m256i zero = _mm256_setzero_si256();
  uint64_t zeros[2] = {0, 0};
  for (int y = 0; y < 8; y += 2) {
    __m256i levels[2];
    for (int i = 0; i < 2; ++i) {
      levels[i] = divide(rows[y + i]);
      storeWidened(levelsFirst + 8 * (y + i), _mm256_castsi256_si128(levels[i]));
      storeWidened(levelsSecond + 8 * (y + i), _mm256_extracti128_si256(levels[i], 1));
    }
    // Per half: the zero lanes of rows y and y + 1 of its block.
    const __m256i isZero = _mm256_packs_epi16(_mm256_cmpeq_epi16(levels[0], zero),
                                              _mm256_cmpeq_epi16(levels[1], zero));
    const uint32_t bits = static_cast<uint32_t>(_mm256_movemask_epi8(isZero));
    zeros[0] |= static_cast<uint64_t>(bits & 0xffff) << (8 * y);
    zeros[1] |= static_cast<uint64_t>(bits >> 16) << (8 * y);
  }
  const int16_t dcFirst = static_cast<int16_t>(_mm256_extract_epi16(rows[0], 0));
  const int16_t dcSecond = static_cast<int16_t>(_mm256_extract_epi16(rows[0], 8));
  nonzero[0] =
      applySmallBlockRule(levelsFirst, levelsWithOwnDc(zeros[0], dcFirst, steps, levelsFirst));
  nonzero[1] =
      applySmallBlockRule(levelsSecond, levelsWithOwnDc(zeros[1], dcSecond, steps, levelsSecond));
}

}  // namespace avx2
}  // namespace
}  // namespace brevan::videnc
