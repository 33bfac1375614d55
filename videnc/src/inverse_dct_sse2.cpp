// The viewer's inverse transform on eight lines at once: 16-bit inputs in
// pairs through _mm_madd_epi16 (exact 32-bit sums), the rest in 32-bit
// lanes that wrap exactly like its 32-bit integers. Runs where the inputs
// of both passes fit 16 bits, as they do for the levels of real pictures.
#include "simd_dispatch.h"

#if VIDENC_X86
#include <emmintrin.h>

#include "transform.h"
#include "transform_sse2.h"

#include "sse2_target_begin.h"

#include "inverse_lanes.h"
#include "sse2_lanes.h"

namespace brevan::videnc {
namespace {

using namespace sse2;
using lanes::fitsSixteenBits;
using lanes::packChecked;
using lanes::reconstructLanes;

// inverse1d on eight lines: f[k] holds input k of every line (16-bit
// lanes); lo[k] and hi[k] receive output k of lines 0-3 and 4-7.
template <int Shift>
inline void inverseLanes(const __m128i* f, __m128i* lo, __m128i* hi) {
  const Pairs p35(f[3], f[5]), p17(f[1], f[7]), p26(f[2], f[6]), p04(f[0], f[4]);
  lanes::inverseFromPairs<Ops, Shift>(p35.lo, p17.lo, p26.lo, p04.lo, lo);
  lanes::inverseFromPairs<Ops, Shift>(p35.hi, p17.hi, p26.hi, p04.hi, hi);
}

inline void transpose4x4(__m128i* r0, __m128i* r1, __m128i* r2, __m128i* r3) {
  const __m128i a0 = _mm_unpacklo_epi32(*r0, *r1), a1 = _mm_unpackhi_epi32(*r0, *r1);
  const __m128i a2 = _mm_unpacklo_epi32(*r2, *r3), a3 = _mm_unpackhi_epi32(*r2, *r3);
  *r0 = _mm_unpacklo_epi64(a0, a2);
  *r1 = _mm_unpackhi_epi64(a0, a2);
  *r2 = _mm_unpacklo_epi64(a1, a3);
  *r3 = _mm_unpackhi_epi64(a1, a3);
}

// Rows[2 * y + h] of inverse2dLanes from the row pass's outputs: lo[x] and
// hi[x] output x of rows 0-3 and 4-7.
inline void rowsOfOutputs(__m128i* lo, __m128i* hi, __m128i* rows) {
  for (int h = 0; h < 2; ++h) {
    transpose4x4(&lo[4 * h], &lo[4 * h + 1], &lo[4 * h + 2], &lo[4 * h + 3]);
    transpose4x4(&hi[4 * h], &hi[4 * h + 1], &hi[4 * h + 2], &hi[4 * h + 3]);
    for (int i = 0; i < 4; ++i) {
      rows[2 * i + h] = lo[4 * h + i];
      rows[2 * (4 + i) + h] = hi[4 * h + i];
    }
  }
}

// Columns (shift 10), then rows (shift 12) from 16-bit inputs f (row k of
// the coefficients in f[k]); rows[2 * y + h] receives outputs 4h .. 4h + 3
// of row y. False where the column pass gives a value beyond 16 bits.
inline bool inverse2dLanes(__m128i* f, __m128i* rows) {
  __m128i lo[8], hi[8], outside = _mm_setzero_si128();
  inverseLanes<10>(f, lo, hi);  // lo[y], hi[y]: row y of the column pass
  for (int y = 0; y < 8; ++y) f[y] = packChecked(lo[y], hi[y], &outside);
  if (!fitsSixteenBits(outside)) return false;
  transpose8x16(f);             // f[x]: value x of every row
  inverseLanes<12>(f, lo, hi);  // lo[x], hi[x]: output x of rows 0-3, 4-7
  rowsOfOutputs(lo, hi, rows);
  return true;
}

// inverse2dLanes for values in rows 0-3, columns 0-3 only (inQuadrant),
// from the levels.
inline bool inverseQuadrant(const int32_t* levels, const QuantSteps& steps, __m128i* rows) {
  __m128i rowPairs[4];
  if (!lanes::quadrantColumnPass(levels, steps, rowPairs)) return false;
  // Per half: 32-bit lanes (c0, c2) of rows 4h .. 4h + 3, and their (c1, c3).
  __m128i lo[8], hi[8];
  for (int h = 0; h < 2; ++h) {
    const __m128 first = _mm_castsi128_ps(rowPairs[2 * h]),
                 second = _mm_castsi128_ps(rowPairs[2 * h + 1]);
    const __m128i p02 = _mm_castps_si128(_mm_shuffle_ps(first, second, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i p13 = _mm_castps_si128(_mm_shuffle_ps(first, second, _MM_SHUFFLE(3, 1, 3, 1)));
    lanes::inverseFromLowPairs<Ops, 12>(p02, p13, h == 0 ? lo : hi);
  }
  rowsOfOutputs(lo, hi, rows);
  return true;
}

// The same from 32-bit coefficients; false where one does not fit 16 bits.
inline bool inverse2d(const int32_t* coeff, __m128i* rows) {
  const __m128i* src = reinterpret_cast<const __m128i*>(coeff);
  __m128i f[8], outside = _mm_setzero_si128();
  for (int k = 0; k < 8; ++k)
    f[k] = packChecked(_mm_loadu_si128(src + 2 * k), _mm_loadu_si128(src + 2 * k + 1), &outside);
  if (!fitsSixteenBits(outside)) return false;
  return inverse2dLanes(f, rows);
}

inline void storeRows(const __m128i* rows, int32_t* out, int stride) {
  for (int y = 0; y < 8; ++y) {
    __m128i* line = reinterpret_cast<__m128i*>(out + y * stride);
    _mm_storeu_si128(line, rows[2 * y]);
    _mm_storeu_si128(line + 1, rows[2 * y + 1]);
  }
}

inline void addRows(const __m128i* rows, int32_t* out, int stride) {
  for (int y = 0; y < 8; ++y) {
    __m128i* line = reinterpret_cast<__m128i*>(out + y * stride);
    _mm_storeu_si128(line, _mm_add_epi32(_mm_loadu_si128(line), rows[2 * y]));
    _mm_storeu_si128(line + 1, _mm_add_epi32(_mm_loadu_si128(line + 1), rows[2 * y + 1]));
  }
}

}  // namespace

bool inverseDctSse2(const int32_t* coeff, int32_t* out, int stride) {
  __m128i rows[16];
  if (!inverse2d(coeff, rows)) return false;
  storeRows(rows, out, stride);
  return true;
}

bool inverseDctAddSse2(const int32_t* coeff, int32_t* out, int stride) {
  __m128i rows[16];
  if (!inverse2d(coeff, rows)) return false;
  addRows(rows, out, stride);
  return true;
}

bool inverseLevelsSse2(bool replace, const int32_t* levels, uint64_t present,
                       const QuantSteps& steps, int32_t* out, int stride) {
  __m128i f[8], rows[16];
  if (lanes::inQuadrant(present)) {
    if (!inverseQuadrant(levels, steps, rows)) return false;
  } else if (!reconstructLanes(levels, steps, f) || !inverse2dLanes(f, rows)) {
    return false;
  }
  if (replace) {
    storeRows(rows, out, stride);
  } else {
    addRows(rows, out, stride);
  }
  return true;
}

}  // namespace brevan::videnc

#include "simd_target_end.h"
#endif
