// The viewer's inverse transform of one block with every line of a pass in
// one 256-bit vector: the 16-bit inputs go through _mm256_madd_epi16 in
// pairs, the butterfly runs on eight 32-bit lanes, and the rows come out
// whole. Bit for bit the SSE2 form, run where it runs.
#include "simd_dispatch.h"

#if VIDENC_X86
#include <immintrin.h>

#include "transform.h"
#include "transform_avx2.h"

#include "avx2_target_begin.h"

#include "avx2_lanes.h"
#include "inverse_lanes.h"
#include "sse2_lanes.h"

namespace brevan::videnc {
namespace {

// (p, q) pairs of all eight lines: lines 0-3 in the low half, 4-7 in the high.
inline __m256i pairsOfAll(__m128i p, __m128i q) {
  return avx2::halves(_mm_unpacklo_epi16(p, q), _mm_unpackhi_epi16(p, q));
}

// The 1-D inverse on eight lines: f[k] holds input k of every line (16-bit
// lanes); out[k] receives output k of every line (32-bit lanes).
template <int Shift>
inline void inverseLanes(const __m128i* f, __m256i* out) {
  lanes::inverseFromPairs<avx2::Ops, Shift>(pairsOfAll(f[3], f[5]), pairsOfAll(f[1], f[7]),
                                            pairsOfAll(f[2], f[6]), pairsOfAll(f[0], f[4]), out);
}

// Transposes eight rows of eight 32-bit values in place.
inline void transpose8x32(__m256i* r) {
  __m256i t[8], u[8];
  for (int i = 0; i < 4; ++i) {
    t[2 * i] = _mm256_unpacklo_epi32(r[2 * i], r[2 * i + 1]);
    t[2 * i + 1] = _mm256_unpackhi_epi32(r[2 * i], r[2 * i + 1]);
  }
  for (int h = 0; h < 2; ++h) {
    u[4 * h] = _mm256_unpacklo_epi64(t[4 * h], t[4 * h + 2]);
    u[4 * h + 1] = _mm256_unpackhi_epi64(t[4 * h], t[4 * h + 2]);
    u[4 * h + 2] = _mm256_unpacklo_epi64(t[4 * h + 1], t[4 * h + 3]);
    u[4 * h + 3] = _mm256_unpackhi_epi64(t[4 * h + 1], t[4 * h + 3]);
  }
  for (int i = 0; i < 4; ++i) {
    r[i] = _mm256_permute2x128_si256(u[i], u[4 + i], 0x20);
    r[4 + i] = _mm256_permute2x128_si256(u[i], u[4 + i], 0x31);
  }
}

// Columns (shift 10), then rows (shift 12) from 16-bit inputs f (row k of
// the coefficients in f[k]); rows[y] receives row y. False where the column
// pass gives a value beyond 16 bits.
inline bool inverse2d(__m128i* f, __m256i* rows) {
  __m256i columnPass[8];
  inverseLanes<10>(f, columnPass);  // columnPass[y]: row y of the column pass
  __m128i outside = _mm_setzero_si128();
  for (int y = 0; y < 8; ++y) {
    f[y] = lanes::packChecked(_mm256_castsi256_si128(columnPass[y]),
                              _mm256_extracti128_si256(columnPass[y], 1), &outside);
  }
  if (!lanes::fitsSixteenBits(outside)) return false;
  sse2::transpose8x16(f);     // f[x]: value x of every row
  inverseLanes<12>(f, rows);  // rows[x]: output x of every row
  transpose8x32(rows);
  return true;
}

// Both passes for values in rows 0-3, columns 0-3 only (inQuadrant).
inline bool inverseQuadrant(const int32_t* levels, const QuantSteps& steps, __m256i* rows) {
  __m128i rowPairs[4];
  if (!lanes::quadrantColumnPass(levels, steps, rowPairs)) return false;
  // 32-bit lanes (c0, c2) of rows 4h .. 4h + 3, then their (c1, c3).
  __m256i packed[2];
  for (int h = 0; h < 2; ++h) {
    packed[h] = _mm256_permutevar8x32_epi32(avx2::halves(rowPairs[2 * h], rowPairs[2 * h + 1]),
                                            _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
  }
  lanes::inverseFromLowPairs<avx2::Ops, 12>(_mm256_permute2x128_si256(packed[0], packed[1], 0x20),
                                            _mm256_permute2x128_si256(packed[0], packed[1], 0x31),
                                            rows);
  transpose8x32(rows);
  return true;
}

}  // namespace

bool inverseLevelsAvx2(bool replace, const int32_t* levels, uint64_t present,
                       const QuantSteps& steps, int32_t* out, int stride) {
  __m128i f[8];
  __m256i rows[8];
  if (lanes::inQuadrant(present)) {
    if (!inverseQuadrant(levels, steps, rows)) return false;
  } else if (!lanes::reconstructLanes(levels, steps, f) || !inverse2d(f, rows)) {
    return false;
  }
  for (int y = 0; y < 8; ++y, out += stride) {
    __m256i* line = reinterpret_cast<__m256i*>(out);
    _mm256_storeu_si256(line,
                        replace ? rows[y] : _mm256_add_epi32(_mm256_loadu_si256(line), rows[y]));
  }
  return true;
}

}  // namespace brevan::videnc

#include "simd_target_end.h"
#endif
