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

namespace videnc {
namespace {

// (p, q) pairs of all eight lines: lines 0-3 in the low half, 4-7 in the high.
inline __m256i pairsOfAll(__m128i p, __m128i q) { return avx2::halves(_mm_unpacklo_epi16(p, q), _mm_unpackhi_epi16(p, q)); }

// The 1-D inverse on eight lines: f[k] holds input k of every line (16-bit
// lanes); out[k] receives output k of every line (32-bit lanes).
template <int Shift>
inline void inverseLanes(const __m128i* f, __m256i* out) {
    lanes::inverseFromPairs<avx2::Ops, Shift>(pairsOfAll(f[3], f[5]), pairsOfAll(f[1], f[7]), pairsOfAll(f[2], f[6]),
                                              pairsOfAll(f[0], f[4]), out);
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
        f[y] = lanes::packChecked(_mm256_castsi256_si128(columnPass[y]), _mm256_extracti128_si256(columnPass[y], 1), &outside);
    }
    if (!lanes::fitsSixteenBits(outside)) return false;
    sse2::transpose8x16(f);  // f[x]: value x of every row
    inverseLanes<12>(f, rows);  // rows[x]: output x of every row
    transpose8x32(rows);
    return true;
}

// The reconstruction values of rows 0-3, columns 0-3 of levels: two rows
// a vector, four 16-bit lanes each (rows 0 and 1, then 2 and 3); false
// where a level or a product does not fit 16 bits.
inline bool reconstructQuadrant(const int32_t* levels, const QuantSteps& steps, __m128i* rows01, __m128i* rows23) {
    // A level beyond 16 bits saturates, and its product with any step (8 or
    // more) then fails the check below.
    const __m128i* src = reinterpret_cast<const __m128i*>(levels);  // two a row
    const __m128i level01 = _mm_packs_epi32(_mm_loadu_si128(src), _mm_loadu_si128(src + 2));
    const __m128i level23 = _mm_packs_epi32(_mm_loadu_si128(src + 4), _mm_loadu_si128(src + 6));
    const __m128i ac = _mm_set1_epi16(static_cast<int16_t>(steps.ac.step));
    const __m128i first = _mm_insert_epi16(ac, steps.dc.step, 0);
    *rows01 = _mm_mullo_epi16(level01, first);
    *rows23 = _mm_mullo_epi16(level23, ac);
    // Exact when the high half of each product is the sign of its low half.
    const __m128i wrong = _mm_or_si128(_mm_xor_si128(_mm_mulhi_epi16(level01, first), _mm_srai_epi16(*rows01, 15)),
                                       _mm_xor_si128(_mm_mulhi_epi16(level23, ac), _mm_srai_epi16(*rows23, 15)));
    return _mm_testz_si128(wrong, wrong);
}

// Both passes for values in rows 0-3, columns 0-3 only. Columns 4-7 of the
// column pass are 0, and so are inputs 4-7 of every line of both passes.
inline bool inverseQuadrant(const int32_t* levels, const QuantSteps& steps, __m256i* rows) {
    __m128i rows01, rows23;
    if (!reconstructQuadrant(levels, steps, &rows01, &rows23)) return false;
    // Column pass on columns 0-3: pairs (F0, F2) and (F1, F3) of each column.
    __m128i columnPass[8];
    lanes::inverseFromLowPairs<sse2::Ops, 10>(_mm_unpacklo_epi16(rows01, rows23), _mm_unpackhi_epi16(rows01, rows23),
                                              columnPass);  // columnPass[y]: columns 0-3 of row y
    __m128i outside = _mm_setzero_si128();
    __m256i packed[2];  // rows 0-3 and 4-7, per row (c0, c2) then (c1, c3)
    for (int h = 0; h < 2; ++h) {
        const __m128i first = lanes::packChecked(columnPass[4 * h], columnPass[4 * h + 1], &outside);
        const __m128i second = lanes::packChecked(columnPass[4 * h + 2], columnPass[4 * h + 3], &outside);
        const __m256i both = avx2::halves(first, second);
        const __m256i paired = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(both, _MM_SHUFFLE(3, 1, 2, 0)), _MM_SHUFFLE(3, 1, 2, 0));
        // 32-bit lanes (c0, c2) of rows 4h .. 4h + 3, then their (c1, c3).
        packed[h] = _mm256_permutevar8x32_epi32(paired, _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
    }
    if (!lanes::fitsSixteenBits(outside)) return false;
    // Row pass on every row from columns 0-3.
    lanes::inverseFromLowPairs<avx2::Ops, 12>(_mm256_permute2x128_si256(packed[0], packed[1], 0x20),
                                              _mm256_permute2x128_si256(packed[0], packed[1], 0x31), rows);
    transpose8x32(rows);
    return true;
}

// Values in rows 0-3, columns 0-3 only (bit i of present for natural
// position i).
inline bool inQuadrant(uint64_t present) { return (present & ~uint64_t{0x0f0f0f0f}) == 0; }

}  // namespace

bool inverseLevelsAvx2(bool replace, const int32_t* levels, uint64_t present, const QuantSteps& steps, int32_t* out,
                       int stride) {
    __m128i f[8];
    __m256i rows[8];
    if (inQuadrant(present)) {
        if (!inverseQuadrant(levels, steps, rows)) return false;
    } else if (!lanes::reconstructLanes(levels, steps, f) || !inverse2d(f, rows)) {
        return false;
    }
    for (int y = 0; y < 8; ++y, out += stride) {
        __m256i* line = reinterpret_cast<__m256i*>(out);
        _mm256_storeu_si256(line, replace ? rows[y] : _mm256_add_epi32(_mm256_loadu_si256(line), rows[y]));
    }
    return true;
}

}  // namespace videnc

#include "simd_target_end.h"
#endif
