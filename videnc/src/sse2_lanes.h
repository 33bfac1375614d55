// 16-bit lane helpers that the SSE2 code shares. Include only where SSE2
// (or a wider target) is compiled; everything here has internal linkage.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "forward_lanes.h"

namespace brevan::videnc {
namespace {
namespace sse2 {

// The operations the shared lane code asks of a vector type.
struct Ops {
  using V = __m128i;
  static V add16(V a, V b) { return _mm_add_epi16(a, b); }
  static V sub16(V a, V b) { return _mm_sub_epi16(a, b); }
  static V add32(V a, V b) { return _mm_add_epi32(a, b); }
  static V sub32(V a, V b) { return _mm_sub_epi32(a, b); }
  static V mullo16(V a, V b) { return _mm_mullo_epi16(a, b); }
  template <int Shift>
  static V slli32(V a) {
    return _mm_slli_epi32(a, Shift);
  }
  static V madd(V a, V b) { return _mm_madd_epi16(a, b); }
  template <int Shift>
  static V srai32(V a) {
    return _mm_srai_epi32(a, Shift);
  }
  static V packs32(V a, V b) { return _mm_packs_epi32(a, b); }
  static V unpacklo16(V a, V b) { return _mm_unpacklo_epi16(a, b); }
  static V unpackhi16(V a, V b) { return _mm_unpackhi_epi16(a, b); }
  static V unpacklo32(V a, V b) { return _mm_unpacklo_epi32(a, b); }
  static V unpackhi32(V a, V b) { return _mm_unpackhi_epi32(a, b); }
  static V unpacklo64(V a, V b) { return _mm_unpacklo_epi64(a, b); }
  static V unpackhi64(V a, V b) { return _mm_unpackhi_epi64(a, b); }
  static V set32(int32_t v) { return _mm_set1_epi32(v); }
  static V set16(int16_t v) { return _mm_set1_epi16(v); }
  static V xor_(V a, V b) { return _mm_xor_si128(a, b); }
  template <int Shift>
  static V srai16(V a) {
    return _mm_srai_epi16(a, Shift);
  }
  static V srl16(V a, __m128i count) { return _mm_srl_epi16(a, count); }
  static V mulhiu16(V a, V b) { return _mm_mulhi_epu16(a, b); }
  static V zero() { return _mm_setzero_si128(); }
  static V and_(V a, V b) { return _mm_and_si128(a, b); }
  static V andnot(V a, V b) { return _mm_andnot_si128(a, b); }
  static V or_(V a, V b) { return _mm_or_si128(a, b); }
  static V cmpgt16(V a, V b) { return _mm_cmpgt_epi16(a, b); }
  static V abs16(V a) { return _mm_max_epi16(a, _mm_sub_epi16(_mm_setzero_si128(), a)); }
  static V cmpgt32(V a, V b) { return _mm_cmpgt_epi32(a, b); }
  template <int Order>
  static V shuffle32(V a) {
    return _mm_shuffle_epi32(a, Order);
  }
};

// Sum of the four 32-bit lanes.
inline int32_t laneSum(__m128i v) {
  v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
  v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)));
  return _mm_cvtsi128_si32(v);
}

inline void transpose8x16(__m128i* r) { lanes::transpose8x16<Ops>(r); }
using Pairs = lanes::Pairs<Ops>;

}  // namespace sse2
}  // namespace
}  // namespace brevan::videnc
