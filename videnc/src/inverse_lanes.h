// The viewer's 1-D inverse transform on vectors of 32-bit lanes, written
// once for any width (Ops as for the forward lanes, with its 32-bit
// operations), and the 16-bit input of the inverse from a block's levels.
// Include only inside a file's SIMD target; everything here has internal
// linkage.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "forward_lanes.h"
#include "quantiser.h"
#include "sse2_lanes.h"
#include "transform.h"

namespace brevan::videnc {
namespace {
namespace lanes {

// x * kCos4 modulo 2^32 for any 32-bit x: the 16-bit products of both
// halves, plus the high part of (low half) * kCos4 carried upward.
template <class Ops>
inline typename Ops::V timesCos4(typename Ops::V x) {
  const typename Ops::V low = Ops::set32(kCos4), both = Ops::set16(kCos4);
  return Ops::add32(Ops::mullo16(x, both), Ops::template slli32<16>(Ops::mulhiu16(x, low)));
}

// The last steps of the inverse from the sums and differences it takes of
// its products A, A', B, B', C, C', D and D'; out[k] receives output k with
// the pass's shift.
template <class Ops, int Shift>
inline void combine(typename Ops::V ab, typename Ops::V ab2, typename Ops::V x1, typename Ops::V x2,
                    typename Ops::V cd, typename Ops::V dc, typename Ops::V even1,
                    typename Ops::V even2, typename Ops::V* out) {
  using V = typename Ops::V;
  const V o1 = Ops::template srai32<10>(timesCos4<Ops>(x1));
  const V o2 = Ops::template srai32<10>(timesCos4<Ops>(x2));
  out[0] = Ops::template srai32<Shift>(Ops::add32(cd, ab));
  out[7] = Ops::template srai32<Shift>(Ops::sub32(cd, ab));
  out[1] = Ops::template srai32<Shift>(Ops::add32(even1, o1));
  out[6] = Ops::template srai32<Shift>(Ops::sub32(even1, o1));
  out[2] = Ops::template srai32<Shift>(Ops::add32(even2, o2));
  out[5] = Ops::template srai32<Shift>(Ops::sub32(even2, o2));
  out[3] = Ops::template srai32<Shift>(Ops::add32(dc, ab2));
  out[4] = Ops::template srai32<Shift>(Ops::sub32(dc, ab2));
}

// The butterfly of the inverse from its eight products: a = A, a2 = A' and
// so on.
template <class Ops, int Shift>
inline void butterfly(typename Ops::V a, typename Ops::V a2, typename Ops::V b, typename Ops::V b2,
                      typename Ops::V c, typename Ops::V c2, typename Ops::V d, typename Ops::V d2,
                      typename Ops::V* out) {
  combine<Ops, Shift>(Ops::add32(a, b), Ops::add32(a2, b2),
                      Ops::sub32(Ops::sub32(Ops::add32(b, b2), a), a2),
                      Ops::sub32(Ops::sub32(Ops::add32(b, a2), a), b2), Ops::add32(c, d),
                      Ops::sub32(d, c), Ops::add32(d2, c2), Ops::sub32(d2, c2), out);
}

// The 1-D inverse on the lines whose inputs come as interleaved 16-bit
// pairs (F3, F5), (F1, F7), (F2, F6) and (F0, F4), one line per 32-bit
// lane; the products are exact 32-bit multiply-adds.
template <class Ops, int Shift>
inline void inverseFromPairs(typename Ops::V p35, typename Ops::V p17, typename Ops::V p26,
                             typename Ops::V p04, typename Ops::V* out) {
  butterfly<Ops, Shift>(
      Ops::madd(p35, factors<Ops>(kCos3, kCos5)), Ops::madd(p35, factors<Ops>(-kCos5, kCos3)),
      Ops::madd(p17, factors<Ops>(kCos1, kCos7)), Ops::madd(p17, factors<Ops>(kCos7, -kCos1)),
      Ops::madd(p26, factors<Ops>(kCos2, kCos6)), Ops::madd(p26, factors<Ops>(kCos6, -kCos2)),
      Ops::madd(p04, factors<Ops>(kCos4, kCos4)), Ops::madd(p04, factors<Ops>(kCos4, -kCos4)), out);
}

// The same on lines whose inputs F4 ... F7 are 0, from the pairs (F0, F2)
// and (F1, F3): A = 851 F3, A' = -569 F3, B = 1004 F1, B' = 200 F1,
// C = 946 F2, C' = 392 F2, D = D' = 724 F0, and each sum or difference of
// them that the butterfly takes is one exact multiply-add of a pair.
template <class Ops, int Shift>
inline void inverseFromLowPairs(typename Ops::V p02, typename Ops::V p13, typename Ops::V* out) {
  using V = typename Ops::V;
  const V ab = Ops::madd(p13, factors<Ops>(kCos1, kCos3));                   // A + B
  const V ab2 = Ops::madd(p13, factors<Ops>(kCos7, -kCos5));                 // A' + B'
  const V x1 = Ops::madd(p13, factors<Ops>(kCos1 + kCos7, kCos5 - kCos3));   // B + B' - A - A'
  const V x2 = Ops::madd(p13, factors<Ops>(kCos1 - kCos7, -kCos5 - kCos3));  // B + A' - A - B'
  const V cd = Ops::madd(p02, factors<Ops>(kCos4, kCos2));                   // C + D
  const V dc = Ops::madd(p02, factors<Ops>(kCos4, -kCos2));                  // D - C
  const V even1 = Ops::madd(p02, factors<Ops>(kCos4, kCos6));                // D' + C'
  const V even2 = Ops::madd(p02, factors<Ops>(kCos4, -kCos6));               // D' - C'
  combine<Ops, Shift>(ab, ab2, x1, x2, cd, dc, even1, even2, out);
}

// Eight 32-bit values (two vectors) as eight 16-bit lanes; `outside`
// gathers bits from 16 up of value + 2^15, nonzero when one does not fit.
inline __m128i packChecked(__m128i lo, __m128i hi, __m128i* outside) {
  const __m128i bias = _mm_set1_epi32(0x8000);
  *outside = _mm_or_si128(*outside, _mm_or_si128(_mm_add_epi32(lo, bias), _mm_add_epi32(hi, bias)));
  return _mm_packs_epi32(lo, hi);
}

inline bool fitsSixteenBits(__m128i outside) {
  return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(outside, 16), _mm_setzero_si128())) ==
         0xffff;
}

// Levels times their steps in 16-bit lanes; `wrong` gathers the lanes whose
// product does not fit, where the high half of the product is not the sign
// of its low half. Levels come saturated from 32 bits: one beyond 16 bits
// times any step (8 or more) does not fit either.
inline __m128i timesSteps(__m128i level, __m128i step, __m128i* wrong) {
  const __m128i product = _mm_mullo_epi16(level, step);
  *wrong = _mm_or_si128(*wrong,
                        _mm_xor_si128(_mm_mulhi_epi16(level, step), _mm_srai_epi16(product, 15)));
  return product;
}

inline bool noneWrong(__m128i wrong) {
  return _mm_movemask_epi8(_mm_cmpeq_epi8(wrong, _mm_setzero_si128())) == 0xffff;
}

// The coefficients of levels (level times step, DC by its own step) in
// 16-bit lanes, f[k] holding row k; false where a product does not fit 16
// bits.
inline bool reconstructLanes(const int32_t* levels, const QuantSteps& steps, __m128i* f) {
  const __m128i* src = reinterpret_cast<const __m128i*>(levels);
  const __m128i ac = _mm_set1_epi16(static_cast<int16_t>(steps.ac.step));
  const __m128i first = _mm_insert_epi16(ac, steps.dc.step, 0);
  __m128i wrong = _mm_setzero_si128();
  for (int k = 0; k < 8; ++k) {
    const __m128i level =
        _mm_packs_epi32(_mm_loadu_si128(src + 2 * k), _mm_loadu_si128(src + 2 * k + 1));
    f[k] = timesSteps(level, k == 0 ? first : ac, &wrong);
  }
  return noneWrong(wrong);
}

// Values in rows 0-3, columns 0-3 only (bit i of present for natural
// position i): columns 4-7 of the column pass are 0, and so are inputs 4-7
// of every line of both passes.
inline bool inQuadrant(uint64_t present) { return (present & ~uint64_t{0x0f0f0f0f}) == 0; }

// The reconstruction values of rows 0-3, columns 0-3 of levels: two rows
// a vector, four 16-bit lanes each (rows 0 and 1, then 2 and 3); false
// where a level or a product does not fit 16 bits.
inline bool reconstructQuadrant(const int32_t* levels, const QuantSteps& steps, __m128i* rows01,
                                __m128i* rows23) {
  const __m128i* src = reinterpret_cast<const __m128i*>(levels);  // two a row
  const __m128i ac = _mm_set1_epi16(static_cast<int16_t>(steps.ac.step));
  const __m128i first = _mm_insert_epi16(ac, steps.dc.step, 0);
  __m128i wrong = _mm_setzero_si128();
  *rows01 =
      timesSteps(_mm_packs_epi32(_mm_loadu_si128(src), _mm_loadu_si128(src + 2)), first, &wrong);
  *rows23 =
      timesSteps(_mm_packs_epi32(_mm_loadu_si128(src + 4), _mm_loadu_si128(src + 6)), ac, &wrong);
  return noneWrong(wrong);
}

// The column pass of such a block, from the levels to 16-bit values two
// rows a vector: rowPairs[h] holds rows 2h and 2h + 1, each row's columns
// in the order c0, c2, c1, c3, so that its 32-bit lanes are the pairs
// (c0, c2) and (c1, c3) the row pass takes. False where a value does not
// fit 16 bits.
inline bool quadrantColumnPass(const int32_t* levels, const QuantSteps& steps, __m128i* rowPairs) {
  __m128i rows01, rows23;
  if (!reconstructQuadrant(levels, steps, &rows01, &rows23)) return false;
  // Each column's pairs (F0, F2) and (F1, F3).
  __m128i columnPass[8];  // columnPass[y]: columns 0-3 of row y
  inverseFromLowPairs<sse2::Ops, 10>(_mm_unpacklo_epi16(rows01, rows23),
                                     _mm_unpackhi_epi16(rows01, rows23), columnPass);
  __m128i outside = _mm_setzero_si128();
  for (int h = 0; h < 4; ++h) {
    const __m128i rows = packChecked(columnPass[2 * h], columnPass[2 * h + 1], &outside);
    rowPairs[h] = _mm_shufflehi_epi16(_mm_shufflelo_epi16(rows, _MM_SHUFFLE(3, 1, 2, 0)),
                                      _MM_SHUFFLE(3, 1, 2, 0));
  }
  return fitsSixteenBits(outside);
}

}  // namespace lanes
}  // namespace
}  // namespace brevan::videnc
