// The forward transform on eight lines at once in 16-bit lanes. Samples
// within +-kForwardLaneLimit keep every 16-bit sum exact: row outputs stay
// within +-16382, so their pair sums fit, and so do the coefficients.
#include "simd_dispatch.h"

#if VIDENC_X86
#include <emmintrin.h>

#include "transform.h"
#include "transform_sse2.h"

// Only these functions use SSE2 (where the compiler does not assume it);
// the processor check guards their calls.
#if !defined(__SSE2__)
#pragma GCC push_options
#pragma GCC target("sse2")
#define VIDENC_SSE2_TARGET_PUSHED
#endif

#include "sse2_lanes.h"

namespace videnc {
namespace {

using namespace sse2;

// One output of the butterfly, a.(f0, f1) + b.(f2, f3), for the eight lanes:
// exact 32-bit sums, shifted and packed back into 16-bit lanes.
template <int Shift>
inline __m128i dot(const Pairs& a, const Pairs& b, int32_t f0, int32_t f1, int32_t f2, int32_t f3) {
    const __m128i fa = factors(f0, f1), fb = factors(f2, f3);
    const __m128i lo = _mm_add_epi32(_mm_madd_epi16(a.lo, fa), _mm_madd_epi16(b.lo, fb));
    const __m128i hi = _mm_add_epi32(_mm_madd_epi16(a.hi, fa), _mm_madd_epi16(b.hi, fb));
    return _mm_packs_epi32(_mm_srai_epi32(lo, Shift), _mm_srai_epi32(hi, Shift));
}

// forward1d on eight lines at once: v[x] holds sample x of every line (one
// line per 16-bit lane); out[k] receives output k of every line. Exact
// while the even/odd sums and the shifted outputs fit 16 bits.
template <int Shift>
inline void forwardLanes(const __m128i* v, __m128i* out) {
    const __m128i s0 = _mm_add_epi16(v[0], v[7]), d0 = _mm_sub_epi16(v[0], v[7]);
    const __m128i s1 = _mm_add_epi16(v[1], v[6]), d1 = _mm_sub_epi16(v[1], v[6]);
    const __m128i s2 = _mm_add_epi16(v[2], v[5]), d2 = _mm_sub_epi16(v[2], v[5]);
    const __m128i s3 = _mm_add_epi16(v[3], v[4]), d3 = _mm_sub_epi16(v[3], v[4]);
    const Pairs s01(s0, s1), s23(s2, s3), d01(d0, d1), d23(d2, d3);
    out[0] = dot<Shift>(s01, s23, kCos4, kCos4, kCos4, kCos4);
    out[1] = dot<Shift>(d01, d23, kCos1, kCos3, kCos5, kCos7);
    out[2] = dot<Shift>(s01, s23, kCos2, kCos6, -kCos6, -kCos2);
    out[3] = dot<Shift>(d01, d23, kCos3, -kCos7, -kCos1, -kCos5);
    out[4] = dot<Shift>(s01, s23, kCos4, -kCos4, -kCos4, kCos4);
    out[5] = dot<Shift>(d01, d23, kCos5, -kCos1, kCos7, kCos3);
    out[6] = dot<Shift>(s01, s23, kCos6, -kCos2, kCos2, -kCos6);
    out[7] = dot<Shift>(d01, d23, kCos7, -kCos5, kCos3, -kCos1);
}

// Loads the block as 16-bit rows; false when a sample is out of bounds.
inline bool loadForwardRows(const int32_t* in, __m128i* rows) {
    const __m128i* src = reinterpret_cast<const __m128i*>(in);
    __m128i high = _mm_set1_epi16(-32768), low = _mm_set1_epi16(32767);
    for (int y = 0; y < 8; ++y) {
        rows[y] = _mm_packs_epi32(_mm_loadu_si128(src + 2 * y), _mm_loadu_si128(src + 2 * y + 1));
        high = _mm_max_epi16(high, rows[y]);
        low = _mm_min_epi16(low, rows[y]);
    }
    const __m128i outside = _mm_or_si128(_mm_cmpgt_epi16(high, _mm_set1_epi16(static_cast<int16_t>(kForwardLaneLimit))),
                                         _mm_cmplt_epi16(low, _mm_set1_epi16(static_cast<int16_t>(-kForwardLaneLimit))));
    return _mm_movemask_epi8(outside) == 0;
}

// Both passes on the rows of a block in 16-bit lanes; v is consumed.
inline void forward2d(__m128i* v, int16_t* out) {
    __m128i w[8];
    transpose8x16(v);  // v[x]: sample x of each row
    forwardLanes<9>(v, w);
    transpose8x16(w);  // w[y]: row y of the row outputs
    forwardLanes<13>(w, v);
    __m128i* dst = reinterpret_cast<__m128i*>(out);
    for (int k = 0; k < 8; ++k) _mm_storeu_si128(dst + k, v[k]);
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
        prefetch(src + kFrameBytesAhead);
        v[y] = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src)), zero), offset);
    }
    forward2d(v, out);
}

}  // namespace videnc

#if defined(VIDENC_SSE2_TARGET_PUSHED)
#pragma GCC pop_options
#undef VIDENC_SSE2_TARGET_PUSHED
#endif
#endif
