// The 512-bit vector operations that the shared lane code asks for: each
// 128-bit quarter holds a block of its own. Include only inside the
// AVX-512 target of a file.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "forward_lanes.h"

namespace brevan::videnc {
namespace {
namespace avx512 {

struct Ops {
  using V = __m512i;
  static V add16(V a, V b) { return _mm512_add_epi16(a, b); }
  static V sub16(V a, V b) { return _mm512_sub_epi16(a, b); }
  static V add32(V a, V b) { return _mm512_add_epi32(a, b); }
  static V sub32(V a, V b) { return _mm512_sub_epi32(a, b); }
  static V mullo16(V a, V b) { return _mm512_mullo_epi16(a, b); }
  template <int Shift>
  static V slli32(V a) {
    return _mm512_slli_epi32(a, Shift);
  }
  static V madd(V a, V b) { return _mm512_madd_epi16(a, b); }
  template <int Shift>
  static V srai32(V a) {
    return _mm512_srai_epi32(a, Shift);
  }
  static V packs32(V a, V b) { return _mm512_packs_epi32(a, b); }
  static V unpacklo16(V a, V b) { return _mm512_unpacklo_epi16(a, b); }
  static V unpackhi16(V a, V b) { return _mm512_unpackhi_epi16(a, b); }
  static V unpacklo32(V a, V b) { return _mm512_unpacklo_epi32(a, b); }
  static V unpackhi32(V a, V b) { return _mm512_unpackhi_epi32(a, b); }
  static V unpacklo64(V a, V b) { return _mm512_unpacklo_epi64(a, b); }
  static V unpackhi64(V a, V b) { return _mm512_unpackhi_epi64(a, b); }
  static V set32(int32_t v) { return _mm512_set1_epi32(v); }
  static V set16(int16_t v) { return _mm512_set1_epi16(v); }
  static V xor_(V a, V b) { return _mm512_xor_si512(a, b); }
  template <int Shift>
  static V srai16(V a) {
    return _mm512_srai_epi16(a, Shift);
  }
  static V srl16(V a, __m128i count) { return _mm512_srl_epi16(a, count); }
  static V mulhiu16(V a, V b) { return _mm512_mulhi_epu16(a, b); }
  static V zero() { return _mm512_setzero_si512(); }
  static V and_(V a, V b) { return _mm512_and_si512(a, b); }
  static V andnot(V a, V b) { return _mm512_andnot_si512(a, b); }
  static V or_(V a, V b) { return _mm512_or_si512(a, b); }
  static V cmpgt16(V a, V b) { return _mm512_movm_epi16(_mm512_cmpgt_epi16_mask(a, b)); }
  static V abs16(V a) { return _mm512_abs_epi16(a); }
  static V cmpgt32(V a, V b) { return _mm512_maskz_set1_epi32(_mm512_cmpgt_epi32_mask(a, b), -1); }
  template <int Order>
  static V shuffle32(V a) {
    return _mm512_shuffle_epi32(a, static_cast<_MM_PERM_ENUM>(Order));
  }
};

// Quarter b (a block's row) of v.
template <int B>
inline __m128i quarter(__m512i v) {
  return _mm512_extracti32x4_epi32(v, B);
}

}  // namespace avx512
}  // namespace
}  // namespace brevan::videnc
