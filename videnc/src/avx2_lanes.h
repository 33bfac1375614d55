// The 256-bit vector operations that the shared lane code asks for. Include
// only where AVX2 code is compiled (inside the AVX2 target of that file).
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "forward_lanes.h"

namespace brevan::videnc {
namespace {
namespace avx2 {

// The operations the shared lane code asks of a vector type.
struct Ops {
  using V = __m256i;
  static V add16(V a, V b) { return _mm256_add_epi16(a, b); }
  static V sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
  static V add32(V a, V b) { return _mm256_add_epi32(a, b); }
  static V sub32(V a, V b) { return _mm256_sub_epi32(a, b); }
  static V mullo16(V a, V b) { return _mm256_mullo_epi16(a, b); }
  template <int Shift>
  static V slli32(V a) {
    return _mm256_slli_epi32(a, Shift);
  }
  static V madd(V a, V b) { return _mm256_madd_epi16(a, b); }
  template <int Shift>
  static V srai32(V a) {
    return _mm256_srai_epi32(a, Shift);
  }
  static V packs32(V a, V b) { return _mm256_packs_epi32(a, b); }
  static V unpacklo16(V a, V b) { return _mm256_unpacklo_epi16(a, b); }
  static V unpackhi16(V a, V b) { return _mm256_unpackhi_epi16(a, b); }
  static V unpacklo32(V a, V b) { return _mm256_unpacklo_epi32(a, b); }
  static V unpackhi32(V a, V b) { return _mm256_unpackhi_epi32(a, b); }
  static V unpacklo64(V a, V b) { return _mm256_unpacklo_epi64(a, b); }
  static V unpackhi64(V a, V b) { return _mm256_unpackhi_epi64(a, b); }
  static V set32(int32_t v) { return _mm256_set1_epi32(v); }
  static V set16(int16_t v) { return _mm256_set1_epi16(v); }
  static V xor_(V a, V b) { return _mm256_xor_si256(a, b); }
  template <int Shift>
  static V srai16(V a) {
    return _mm256_srai_epi16(a, Shift);
  }
  static V srl16(V a, __m128i count) { return _mm256_srl_epi16(a, count); }
  static V mulhiu16(V a, V b) { return _mm256_mulhi_epu16(a, b); }
  static V zero() { return _mm256_setzero_si256(); }
  static V and_(V a, V b) { return _mm256_and_si256(a, b); }
  static V andnot(V a, V b) { return _mm256_andnot_si256(a, b); }
  static V or_(V a, V b) { return _mm256_or_si256(a, b); }
  static V cmpgt16(V a, V b) { return _mm256_cmpgt_epi16(a, b); }
  static V abs16(V a) { return _mm256_abs_epi16(a); }
  static V cmpgt32(V a, V b) { return _mm256_cmpgt_epi32(a, b); }
  template <int Order>
  static V shuffle32(V a) {
    return _mm256_shuffle_epi32(a, Order);
  }
};

// Row y of two blocks' 16-bit values as one vector (first block low).
inline __m256i halves(__m128i low, __m128i high) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}
inline __m256i rowOfBoth(const int16_t* first, const int16_t* second, int y) {
  return halves(_mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 8 * y)),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + 8 * y)));
}

}  // namespace avx2
}  // namespace
}  // namespace brevan::videnc
