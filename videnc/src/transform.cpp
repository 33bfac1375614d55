#include "transform.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace videnc {
namespace {

// Wrapping 32-bit arithmetic: unsigned operations, arithmetic right shift
// on the signed reinterpretation.
using u32 = uint32_t;
inline int32_t sar(u32 v, int s) { return static_cast<int32_t>(v) >> s; }

// One 1-D forward pass over 8 values at in[0], in[step], ...: the sums of
// products split into even and odd halves (K(k, 7-x) = +-K(k, x)), which
// gives the same exact sums with half the products.
template <int Shift>
inline void forward1d(const u32* in, int inStep, u32* out, int outStep) {
    const u32 s0 = in[0] + in[7 * inStep], d0 = in[0] - in[7 * inStep];
    const u32 s1 = in[inStep] + in[6 * inStep], d1 = in[inStep] - in[6 * inStep];
    const u32 s2 = in[2 * inStep] + in[5 * inStep], d2 = in[2 * inStep] - in[5 * inStep];
    const u32 s3 = in[3 * inStep] + in[4 * inStep], d3 = in[3 * inStep] - in[4 * inStep];
    out[0] = static_cast<u32>(sar(kCos4 * (s0 + s1 + s2 + s3), Shift));
    out[4 * outStep] = static_cast<u32>(sar(kCos4 * (s0 - s1 - s2 + s3), Shift));
    out[2 * outStep] = static_cast<u32>(sar(kCos2 * (s0 - s3) + kCos6 * (s1 - s2), Shift));
    out[6 * outStep] = static_cast<u32>(sar(kCos6 * (s0 - s3) - kCos2 * (s1 - s2), Shift));
    out[1 * outStep] = static_cast<u32>(sar(kCos1 * d0 + kCos3 * d1 + kCos5 * d2 + kCos7 * d3, Shift));
    out[3 * outStep] = static_cast<u32>(sar(kCos3 * d0 - kCos7 * d1 - kCos1 * d2 - kCos5 * d3, Shift));
    out[5 * outStep] = static_cast<u32>(sar(kCos5 * d0 - kCos1 * d1 + kCos7 * d2 + kCos3 * d3, Shift));
    out[7 * outStep] = static_cast<u32>(sar(kCos7 * d0 - kCos5 * d1 + kCos3 * d2 - kCos1 * d3, Shift));
}

// The viewer's 1-D inverse on F0..F7 = in[0], in[step], ...
template <int Shift>
inline void inverse1d(const u32* in, int step, u32* out, int outStep) {
    const u32 f0 = in[0], f1 = in[step], f2 = in[2 * step], f3 = in[3 * step];
    const u32 f4 = in[4 * step], f5 = in[5 * step], f6 = in[6 * step], f7 = in[7 * step];
    const u32 a = kCos3 * f3 + kCos5 * f5;
    const u32 b = kCos1 * f1 + kCos7 * f7;
    const u32 c = kCos2 * f2 + kCos6 * f6;
    const u32 d = kCos4 * (f0 + f4);
    const u32 a2 = kCos3 * f5 - kCos5 * f3;
    const u32 b2 = kCos7 * f1 - kCos1 * f7;
    const u32 c2 = kCos6 * f2 - kCos2 * f6;
    const u32 d2 = kCos4 * (f0 - f4);
    const u32 o1 = static_cast<u32>(sar((b + b2 - a - a2) * kCos4, 10));
    const u32 o2 = static_cast<u32>(sar((b + a2 - a - b2) * kCos4, 10));
    out[0] = static_cast<u32>(sar(a + b + c + d, Shift));
    out[7 * outStep] = static_cast<u32>(sar(c + d - a - b, Shift));
    out[1 * outStep] = static_cast<u32>(sar(d2 + c2 + o1, Shift));
    out[6 * outStep] = static_cast<u32>(sar(d2 + c2 - o1, Shift));
    out[2 * outStep] = static_cast<u32>(sar(d2 - c2 + o2, Shift));
    out[5 * outStep] = static_cast<u32>(sar(d2 - c2 - o2, Shift));
    out[3 * outStep] = static_cast<u32>(sar(d - c + a2 + b2, Shift));
    out[4 * outStep] = static_cast<u32>(sar(d - c - a2 - b2, Shift));
}

inline bool columnIsZero(const u32* in) {
    u32 any = 0;
    for (int y = 0; y < 8; ++y) any |= in[8 * y];
    return any == 0;
}

// Columns first, then rows; result row by row in a dense 8x8 array.
inline void inverse2d(const int32_t* coeff, u32* rows) {
    const u32* in = reinterpret_cast<const u32*>(coeff);
    u32 mid[64];
    for (int col = 0; col < 8; ++col) {
        // Sparse blocks: a column of zeros transforms to zeros.
        if (columnIsZero(in + col)) {
            for (int y = 0; y < 8; ++y) mid[8 * y + col] = 0;
        } else {
            inverse1d<10>(in + col, 8, mid + col, 8);
        }
    }
    for (int row = 0; row < 8; ++row) inverse1d<12>(mid + 8 * row, 1, rows + 8 * row, 1);
}


#if defined(__SSE2__)
// Transposes 8 rows of eight 16-bit values in place.
inline void transpose8x16(__m128i* r) {
    const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
    const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
    const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
    const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    r[0] = _mm_unpacklo_epi64(b0, b4);
    r[1] = _mm_unpackhi_epi64(b0, b4);
    r[2] = _mm_unpacklo_epi64(b1, b5);
    r[3] = _mm_unpackhi_epi64(b1, b5);
    r[4] = _mm_unpacklo_epi64(b2, b6);
    r[5] = _mm_unpackhi_epi64(b2, b6);
    r[6] = _mm_unpacklo_epi64(b3, b7);
    r[7] = _mm_unpackhi_epi64(b3, b7);
}

// Two 16-bit factors for _mm_madd_epi16 on (first, second) pairs.
inline __m128i factors(int32_t first, int32_t second) {
    return _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(second) << 16) | (static_cast<uint32_t>(first) & 0xffff)));
}

// Interleaved (p, q) pairs of the eight lanes, low and high half.
struct Pairs {
    __m128i lo, hi;
    Pairs(__m128i p, __m128i q) : lo(_mm_unpacklo_epi16(p, q)), hi(_mm_unpackhi_epi16(p, q)) {}
};

// One output of the butterfly, a.(f0, f1) + b.(f2, f3), for the eight lanes
// as two vectors of exact 32-bit sums.
inline void dot(const Pairs& a, const Pairs& b, int32_t f0, int32_t f1, int32_t f2, int32_t f3, __m128i* lo,
                __m128i* hi) {
    const __m128i fa = factors(f0, f1), fb = factors(f2, f3);
    *lo = _mm_add_epi32(_mm_madd_epi16(a.lo, fa), _mm_madd_epi16(b.lo, fb));
    *hi = _mm_add_epi32(_mm_madd_epi16(a.hi, fa), _mm_madd_epi16(b.hi, fb));
}

// forward1d on eight lines at once: v[x] holds sample x of every line (one
// line per 16-bit lane); sums[2k], sums[2k+1] receive output k of lanes 0-3
// and 4-7, unshifted. Exact while the even/odd sums fit 16 bits.
inline void forwardLanes(const __m128i* v, __m128i* sums) {
    const __m128i s0 = _mm_add_epi16(v[0], v[7]), d0 = _mm_sub_epi16(v[0], v[7]);
    const __m128i s1 = _mm_add_epi16(v[1], v[6]), d1 = _mm_sub_epi16(v[1], v[6]);
    const __m128i s2 = _mm_add_epi16(v[2], v[5]), d2 = _mm_sub_epi16(v[2], v[5]);
    const __m128i s3 = _mm_add_epi16(v[3], v[4]), d3 = _mm_sub_epi16(v[3], v[4]);
    const Pairs s01(s0, s1), s23(s2, s3), d01(d0, d1), d23(d2, d3);
    dot(s01, s23, kCos4, kCos4, kCos4, kCos4, &sums[0], &sums[1]);
    dot(d01, d23, kCos1, kCos3, kCos5, kCos7, &sums[2], &sums[3]);
    dot(s01, s23, kCos2, kCos6, -kCos6, -kCos2, &sums[4], &sums[5]);
    dot(d01, d23, kCos3, -kCos7, -kCos1, -kCos5, &sums[6], &sums[7]);
    dot(s01, s23, kCos4, -kCos4, -kCos4, kCos4, &sums[8], &sums[9]);
    dot(d01, d23, kCos5, -kCos1, kCos7, kCos3, &sums[10], &sums[11]);
    dot(s01, s23, kCos6, -kCos2, kCos2, -kCos6, &sums[12], &sums[13]);
    dot(d01, d23, kCos7, -kCos5, kCos3, -kCos1, &sums[14], &sums[15]);
}

// Inputs within this bound keep every 16-bit sum of the vector passes
// exact: row outputs stay within +-16382, so their pair sums fit.
constexpr int16_t kForwardLaneLimit = 1448;

// Loads the block as 16-bit rows; false when a sample is out of bounds.
inline bool loadForwardRows(const int32_t* in, __m128i* rows) {
    const __m128i* src = reinterpret_cast<const __m128i*>(in);
    __m128i high = _mm_set1_epi16(-32768), low = _mm_set1_epi16(32767);
    for (int y = 0; y < 8; ++y) {
        rows[y] = _mm_packs_epi32(_mm_loadu_si128(src + 2 * y), _mm_loadu_si128(src + 2 * y + 1));
        high = _mm_max_epi16(high, rows[y]);
        low = _mm_min_epi16(low, rows[y]);
    }
    const __m128i outside = _mm_or_si128(_mm_cmpgt_epi16(high, _mm_set1_epi16(kForwardLaneLimit)),
                                         _mm_cmplt_epi16(low, _mm_set1_epi16(-kForwardLaneLimit)));
    return _mm_movemask_epi8(outside) == 0;
}

bool forwardDctSse2(const int32_t* in, int32_t* out) {
    __m128i v[8], sums[16];
    if (!loadForwardRows(in, v)) return false;
    transpose8x16(v);  // v[x]: sample x of each row
    forwardLanes(v, sums);
    for (int k = 0; k < 8; ++k) {
        v[k] = _mm_packs_epi32(_mm_srai_epi32(sums[2 * k], 9), _mm_srai_epi32(sums[2 * k + 1], 9));
    }
    transpose8x16(v);  // v[y]: row y of the row outputs
    forwardLanes(v, sums);
    __m128i* dst = reinterpret_cast<__m128i*>(out);
    for (int i = 0; i < 16; ++i) _mm_storeu_si128(dst + i, _mm_srai_epi32(sums[i], 13));
    return true;
}
#endif

}  // namespace

int32_t forwardBasis(int k, int x) {
    static const int32_t kBasis[8][4] = {
        {kCos4, kCos4, kCos4, kCos4},     {kCos1, kCos3, kCos5, kCos7},
        {kCos2, kCos6, -kCos6, -kCos2},   {kCos3, -kCos7, -kCos1, -kCos5},
        {kCos4, -kCos4, -kCos4, kCos4},   {kCos5, -kCos1, kCos7, kCos3},
        {kCos6, -kCos2, kCos2, -kCos6},   {kCos7, -kCos5, kCos3, -kCos1},
    };
    // Even rows are symmetric about the middle, odd rows antisymmetric.
    if (x < 4) return kBasis[k][x];
    return (k % 2 == 0 ? 1 : -1) * kBasis[k][7 - x];
}

void forwardDctPlain(const int32_t* in, int32_t* out) {
    const u32* src = reinterpret_cast<const u32*>(in);
    u32* dst = reinterpret_cast<u32*>(out);
    u32 mid[64];
    for (int row = 0; row < 8; ++row) forward1d<9>(src + 8 * row, 1, mid + 8 * row, 1);
    for (int col = 0; col < 8; ++col) forward1d<13>(mid + col, 8, dst + col, 8);
}

void forwardDct(const int32_t* in, int32_t* out) {
#if defined(__SSE2__)
    if (forwardDctSse2(in, out)) return;
#endif
    forwardDctPlain(in, out);
}

int32_t inverseDcOnly(int32_t dc) {
    // Column pass: D = D' = 724 F0 and nothing else; row pass likewise.
    const u32 column = static_cast<u32>(sar(kCos4 * static_cast<u32>(dc), 10));
    return sar(kCos4 * column, 12);
}

void inverseDct(const int32_t* coeff, int32_t* out, int stride) {
    u32 rows[64];
    inverse2d(coeff, rows);
    for (int row = 0; row < 8; ++row) {
        for (int x = 0; x < 8; ++x) out[row * stride + x] = static_cast<int32_t>(rows[8 * row + x]);
    }
}

void inverseDctAdd(const int32_t* coeff, int32_t* out, int stride) {
    u32 rows[64];
    inverse2d(coeff, rows);
    for (int row = 0; row < 8; ++row) {
        u32* line = reinterpret_cast<u32*>(out + row * stride);
        for (int x = 0; x < 8; ++x) line[x] += rows[8 * row + x];
    }
}

}  // namespace videnc
