// The forward transform on eight lines at once in 16-bit lanes. Samples
// within +-kForwardLaneLimit keep every 16-bit sum exact: row outputs stay
// within +-16382, so their pair sums fit, and so do the coefficients.
#include "simd_dispatch.h"

#if VIDENC_X86
#include <emmintrin.h>

#include "block_prefetch.h"
#include "transform.h"
#include "transform_sse2.h"

#include "sse2_target_begin.h"

#include "sse2_lanes.h"

namespace brevan::videnc {
namespace {

using namespace sse2;

// Loads the block as 16-bit rows; false when a sample is out of bounds.
inline bool loadForwardRows(const int32_t* in, __m128i* rows) {
  const __m128i* src = reinterpret_cast<const __m128i*>(in);
  __m128i high = _mm_set1_epi16(-32768), low = _mm_set1_epi16(32767);
  for (int y = 0; y < 8; ++y) {
    rows[y] = _mm_packs_epi32(_mm_loadu_si128(src + 2 * y), _mm_loadu_si128(src + 2 * y + 1));
    high = _mm_max_epi16(high, rows[y]);
    low = _mm_min_epi16(low, rows[y]);
  }
  const __m128i outside =
      _mm_or_si128(_mm_cmpgt_epi16(high, _mm_set1_epi16(static_cast<int16_t>(kForwardLaneLimit))),
                   _mm_cmplt_epi16(low, _mm_set1_epi16(static_cast<int16_t>(-kForwardLaneLimit))));
  return _mm_movemask_epi8(outside) == 0;
}

// Both passes on the rows of a block in 16-bit lanes; v is consumed.
inline void forward2d(__m128i* v, int16_t* out) {
  __m128i coeff[8];
  lanes::forward2d<Ops>(v, coeff);
  __m128i* dst = reinterpret_cast<__m128i*>(out);
  for (int k = 0; k < 8; ++k) _mm_storeu_si128(dst + k, coeff[k]);
}

}  // namespace

bool forwardDctSse2(const int32_t* in, int16_t* out) {
  __m128i v[8];
  if (!loadForwardRows(in, v)) return false;
  forward2d(v, out);
  return true;
}

void forwardDct16Sse2(const int16_t* in, int16_t* out) {
  __m128i v[8];
  for (int y = 0; y < 8; ++y) v[y] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in) + y);
  forward2d(v, out);
}

void forwardDctBytesSse2(const uint8_t* src, int stride, int32_t bias, int16_t* out) {
  const __m128i zero = _mm_setzero_si128(), offset = _mm_set1_epi16(static_cast<int16_t>(bias));
  __m128i v[8];
  for (int y = 0; y < 8; ++y, src += stride) {
    prefetchRow(src + kFrameBytesAhead);
    v[y] = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src)), zero), offset);
  }
  forward2d(v, out);
}

}  // namespace brevan::videnc

#include "simd_target_end.h"
#endif
