// 16-bit lane helpers that the vector transforms share. Include only
// where SSE2 code is compiled (inside the SSE2 target of that file).
#pragma once

#include <emmintrin.h>
#include <xmmintrin.h>

#include <cstdint>

namespace videnc {
namespace sse2 {

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

// Rows of frame bytes and of reference samples are read a block at a
// time and lie far apart in memory; asking for each row's next bytes while
// the block is worked on hides most of the wait for them. Prefetches never
// fault, so reading ahead past a plane's end is harmless.
constexpr int kFrameBytesAhead = 64;        // eight blocks further on
constexpr int kReferenceSamplesAhead = 32;  // four blocks further on
inline void prefetch(const void* p) { _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0); }

// Two 16-bit factors for _mm_madd_epi16 on (first, second) pairs.
inline __m128i factors(int32_t first, int32_t second) {
    return _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(second) << 16) | (static_cast<uint32_t>(first) & 0xffff)));
}

// Interleaved (p, q) pairs of the eight lanes, low and high half.
struct Pairs {
    __m128i lo, hi;
    Pairs(__m128i p, __m128i q) : lo(_mm_unpacklo_epi16(p, q)), hi(_mm_unpackhi_epi16(p, q)) {}
};

}  // namespace sse2
}  // namespace videnc
