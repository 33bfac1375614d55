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

#include "sse2_lanes.h"

namespace videnc {
namespace {

using namespace sse2;

inline __m128i add(__m128i a, __m128i b) { return _mm_add_epi32(a, b); }
inline __m128i sub(__m128i a, __m128i b) { return _mm_sub_epi32(a, b); }

// x * kCos4 modulo 2^32 for any 32-bit x: the 16-bit products of both
// halves, plus the high part of (low half) * kCos4 carried upward.
inline __m128i timesCos4(__m128i x) {
    const __m128i low = _mm_set1_epi32(kCos4), both = _mm_set1_epi16(kCos4);
    return _mm_add_epi32(_mm_mullo_epi16(x, both), _mm_slli_epi32(_mm_mulhi_epu16(x, low), 16));
}

// inverse1d on four lines of 32-bit lanes, from the pair sums of its inputs.
template <int Shift>
inline void butterfly(__m128i a, __m128i a2, __m128i b, __m128i b2, __m128i c, __m128i c2, __m128i d, __m128i d2,
                      __m128i* out) {
    const __m128i o1 = _mm_srai_epi32(timesCos4(sub(sub(add(b, b2), a), a2)), 10);
    const __m128i o2 = _mm_srai_epi32(timesCos4(sub(sub(add(b, a2), a), b2)), 10);
    const __m128i ab = add(a, b), cd = add(c, d), dc = sub(d, c), ab2 = add(a2, b2);
    const __m128i even1 = add(d2, c2), even2 = sub(d2, c2);
    out[0] = _mm_srai_epi32(add(cd, ab), Shift);
    out[7] = _mm_srai_epi32(sub(cd, ab), Shift);
    out[1] = _mm_srai_epi32(add(even1, o1), Shift);
    out[6] = _mm_srai_epi32(sub(even1, o1), Shift);
    out[2] = _mm_srai_epi32(add(even2, o2), Shift);
    out[5] = _mm_srai_epi32(sub(even2, o2), Shift);
    out[3] = _mm_srai_epi32(add(dc, ab2), Shift);
    out[4] = _mm_srai_epi32(sub(dc, ab2), Shift);
}

// inverse1d on eight lines: f[k] holds input k of every line (16-bit
// lanes); lo[k] and hi[k] receive output k of lines 0-3 and 4-7.
template <int Shift>
inline void inverseLanes(const __m128i* f, __m128i* lo, __m128i* hi) {
    const Pairs p35(f[3], f[5]), p17(f[1], f[7]), p26(f[2], f[6]), p04(f[0], f[4]);
    const __m128i fa = factors(kCos3, kCos5), fa2 = factors(-kCos5, kCos3);
    const __m128i fb = factors(kCos1, kCos7), fb2 = factors(kCos7, -kCos1);
    const __m128i fc = factors(kCos2, kCos6), fc2 = factors(kCos6, -kCos2);
    const __m128i fd = factors(kCos4, kCos4), fd2 = factors(kCos4, -kCos4);
    butterfly<Shift>(_mm_madd_epi16(p35.lo, fa), _mm_madd_epi16(p35.lo, fa2), _mm_madd_epi16(p17.lo, fb),
                     _mm_madd_epi16(p17.lo, fb2), _mm_madd_epi16(p26.lo, fc), _mm_madd_epi16(p26.lo, fc2),
                     _mm_madd_epi16(p04.lo, fd), _mm_madd_epi16(p04.lo, fd2), lo);
    butterfly<Shift>(_mm_madd_epi16(p35.hi, fa), _mm_madd_epi16(p35.hi, fa2), _mm_madd_epi16(p17.hi, fb),
                     _mm_madd_epi16(p17.hi, fb2), _mm_madd_epi16(p26.hi, fc), _mm_madd_epi16(p26.hi, fc2),
                     _mm_madd_epi16(p04.hi, fd), _mm_madd_epi16(p04.hi, fd2), hi);
}

// Eight 32-bit values (two vectors) as eight 16-bit lanes; `outside`
// gathers bits from 16 up of value + 2^15, nonzero when one does not fit.
inline __m128i packChecked(__m128i lo, __m128i hi, __m128i* outside) {
    const __m128i bias = _mm_set1_epi32(0x8000);
    *outside = _mm_or_si128(*outside, _mm_or_si128(_mm_add_epi32(lo, bias), _mm_add_epi32(hi, bias)));
    return _mm_packs_epi32(lo, hi);
}

inline bool fitsSixteenBits(__m128i outside) {
    return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(outside, 16), _mm_setzero_si128())) == 0xffff;
}

inline void transpose4x4(__m128i* r0, __m128i* r1, __m128i* r2, __m128i* r3) {
    const __m128i a0 = _mm_unpacklo_epi32(*r0, *r1), a1 = _mm_unpackhi_epi32(*r0, *r1);
    const __m128i a2 = _mm_unpacklo_epi32(*r2, *r3), a3 = _mm_unpackhi_epi32(*r2, *r3);
    *r0 = _mm_unpacklo_epi64(a0, a2);
    *r1 = _mm_unpackhi_epi64(a0, a2);
    *r2 = _mm_unpacklo_epi64(a1, a3);
    *r3 = _mm_unpackhi_epi64(a1, a3);
}

// Columns (shift 10), then rows (shift 12) from 16-bit inputs f (row k of
// the coefficients in f[k]); rows[2 * y + h] receives outputs 4h .. 4h + 3
// of row y. False where the column pass gives a value beyond 16 bits.
inline bool inverse2dLanes(__m128i* f, __m128i* rows) {
    __m128i lo[8], hi[8], outside = _mm_setzero_si128();
    inverseLanes<10>(f, lo, hi);  // lo[y], hi[y]: row y of the column pass
    for (int y = 0; y < 8; ++y) f[y] = packChecked(lo[y], hi[y], &outside);
    if (!fitsSixteenBits(outside)) return false;
    transpose8x16(f);  // f[x]: value x of every row
    inverseLanes<12>(f, lo, hi);  // lo[x], hi[x]: output x of rows 0-3, 4-7
    for (int h = 0; h < 2; ++h) {
        transpose4x4(&lo[4 * h], &lo[4 * h + 1], &lo[4 * h + 2], &lo[4 * h + 3]);
        transpose4x4(&hi[4 * h], &hi[4 * h + 1], &hi[4 * h + 2], &hi[4 * h + 3]);
        for (int i = 0; i < 4; ++i) {
            rows[2 * i + h] = lo[4 * h + i];
            rows[2 * (4 + i) + h] = hi[4 * h + i];
        }
    }
    return true;
}

// The same from 32-bit coefficients; false where one does not fit 16 bits.
inline bool inverse2d(const int32_t* coeff, __m128i* rows) {
    const __m128i* src = reinterpret_cast<const __m128i*>(coeff);
    __m128i f[8], outside = _mm_setzero_si128();
    for (int k = 0; k < 8; ++k) f[k] = packChecked(_mm_loadu_si128(src + 2 * k), _mm_loadu_si128(src + 2 * k + 1), &outside);
    if (!fitsSixteenBits(outside)) return false;
    return inverse2dLanes(f, rows);
}

// The coefficients of levels (level times step, DC by its own step) in
// 16-bit lanes; false where a level or a product does not fit 16 bits.
inline bool reconstructLanes(const int32_t* levels, const QuantSteps& steps, __m128i* f) {
    const __m128i* src = reinterpret_cast<const __m128i*>(levels);
    const __m128i ac = _mm_set1_epi16(static_cast<int16_t>(steps.ac.step));
    const __m128i first = _mm_insert_epi16(ac, steps.dc.step, 0);
    __m128i outside = _mm_setzero_si128(), wrong = _mm_setzero_si128();
    for (int k = 0; k < 8; ++k) {
        const __m128i level = packChecked(_mm_loadu_si128(src + 2 * k), _mm_loadu_si128(src + 2 * k + 1), &outside);
        const __m128i step = k == 0 ? first : ac;
        f[k] = _mm_mullo_epi16(level, step);
        // Exact when the high half of the product is the sign of its low half.
        wrong = _mm_or_si128(wrong, _mm_xor_si128(_mm_mulhi_epi16(level, step), _mm_srai_epi16(f[k], 15)));
    }
    return fitsSixteenBits(outside) && _mm_movemask_epi8(_mm_cmpeq_epi8(wrong, _mm_setzero_si128())) == 0xffff;
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

bool inverseLevelsSse2(bool replace, const int32_t* levels, const QuantSteps& steps, int32_t* out, int stride) {
    __m128i f[8], rows[16];
    if (!reconstructLanes(levels, steps, f) || !inverse2dLanes(f, rows)) return false;
    if (replace) {
        storeRows(rows, out, stride);
    } else {
        addRows(rows, out, stride);
    }
    return true;
}

}  // namespace videnc

#include "simd_target_end.h"
#endif
