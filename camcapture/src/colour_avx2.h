// AVX2 form of the colour formula of the luma-and-chroma formats, sixteen pixels at a time, with
// the same products and floor shifts as colour_sse2.h.
//
// AVX2 interleaves within each 128-bit half, so the sixteen 16-bit lanes of a group hold pixels
// 0-3, 8-11 | 4-7, 12-15: the interleaves of storeColour then give pixels 0..7 and 8..15.
#pragma once

#include "simd_choice.h"

#ifdef BREVAN_CAMCAPTURE_AVX2
namespace brevan::camcapture::detail::avx2 {

struct ChromaTerms {
  __m256i low, mid, high;  // mid is the one subtracted
};

// From sixteen cx and cz samples (16-bit lanes, 0..255), lane for lane.
BREVAN_AVX2_CODE inline ChromaTerms chromaTerms(__m256i cx, __m256i cz) {
  const __m256i a = _mm256_sub_epi16(cx, _mm256_set1_epi16(128));
  const __m256i b = _mm256_sub_epi16(cz, _mm256_set1_epi16(128));
  const __m256i pairWeights = _mm256_set1_epi32(734 << 16 | 354);  // (b, a) pairs
  const __m256i midFirst =
      _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(b, a), pairWeights), 10);
  const __m256i midNext =
      _mm256_srai_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(b, a), pairWeights), 10);
  return {_mm256_mulhi_epi16(_mm256_slli_epi16(a, 6), _mm256_set1_epi16(1441)),
          _mm256_packs_epi32(midFirst, midNext),
          _mm256_mulhi_epi16(_mm256_slli_epi16(b, 6), _mm256_set1_epi16(1822))};
}

// Sixteen bytes as 16-bit lanes in the group order (pixels 0-3, 8-11 | 4-7, 12-15).
BREVAN_AVX2_CODE inline __m256i widenGroup(const uint8_t* p) {
  return _mm256_cvtepu8_epi16(_mm_shuffle_epi32(load16Bytes(p), _MM_SHUFFLE(3, 1, 2, 0)));
}

// Sixteen block samples, ordered so that each term doubled (firstDoubled, nextDoubled) lines up
// with the group order of the 32 pixels the blocks cover in a row.
BREVAN_AVX2_CODE inline __m256i widenBlocks(const uint8_t* p) {
  const __m128i order = _mm_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, 2, 3, 6, 7, 10, 11, 14, 15);
  return _mm256_cvtepu8_epi16(_mm_shuffle_epi8(load16Bytes(p), order));
}
BREVAN_AVX2_CODE inline ChromaTerms firstDoubled(const ChromaTerms& t) {
  return {_mm256_unpacklo_epi16(t.low, t.low), _mm256_unpacklo_epi16(t.mid, t.mid),
          _mm256_unpacklo_epi16(t.high, t.high)};
}
BREVAN_AVX2_CODE inline ChromaTerms nextDoubled(const ChromaTerms& t) {
  return {_mm256_unpackhi_epi16(t.low, t.low), _mm256_unpackhi_epi16(t.mid, t.mid),
          _mm256_unpackhi_epi16(t.high, t.high)};
}

// Sixteen 0x00RRGGBB values from luma and terms in the group order.
BREVAN_AVX2_CODE inline void storeColour(uint32_t* out, __m256i luma, const ChromaTerms& t) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i lowHigh =
      _mm256_packus_epi16(_mm256_add_epi16(luma, t.low), _mm256_add_epi16(luma, t.high));
  const __m256i mid = _mm256_packus_epi16(_mm256_sub_epi16(luma, t.mid), zero);
  const __m256i lowMid = _mm256_unpacklo_epi8(lowHigh, mid);
  const __m256i highZero = _mm256_unpackhi_epi8(lowHigh, zero);
  store32Bytes(out, _mm256_unpacklo_epi16(lowMid, highZero));
  store32Bytes(out + 8, _mm256_unpackhi_epi16(lowMid, highZero));
}

}  // namespace brevan::camcapture::detail::avx2
#endif
