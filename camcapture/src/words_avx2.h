// AVX2 forms of the formulas for 15/16-bit words, sixteen at a time as 16-bit lanes of their 5-bit
// fields, as in words_sse2.h: (C0 f0 + C1 f1 + C2 f2) >> 7 fits a signed 16-bit lane.
#pragma once

#include "colour_formulas.h"
#include "simd_choice.h"

#ifdef BREVAN_CAMCAPTURE_AVX2
namespace brevan::camcapture::detail::avx2 {

struct WordFields {
  __m256i f0, f1, f2;
};

BREVAN_AVX2_CODE inline WordFields fieldsOf(__m256i words) {
  const __m256i mask = _mm256_set1_epi16(0x1F);
  return {_mm256_and_si256(words, mask), _mm256_and_si256(_mm256_srli_epi16(words, 5), mask),
          _mm256_and_si256(_mm256_srli_epi16(words, 10), mask)};
}
BREVAN_AVX2_CODE inline WordFields loadWords(const uint8_t* p) { return fieldsOf(load32Bytes(p)); }
// The words at even columns of thirty-two (64 bytes), in order.
BREVAN_AVX2_CODE inline WordFields loadEvenWords(const uint8_t* p) {
  // Sign-extended, so the signed pack keeps them.
  const __m256i first = _mm256_srai_epi32(_mm256_slli_epi32(load32Bytes(p), 16), 16);
  const __m256i next = _mm256_srai_epi32(_mm256_slli_epi32(load32Bytes(p + 32), 16), 16);
  return fieldsOf(
      _mm256_permute4x64_epi64(_mm256_packs_epi32(first, next), _MM_SHUFFLE(3, 1, 2, 0)));
}

// f x C in 16-bit lanes. The compiler would spell most constant products as three to five shifts
// and adds, slower here than the one multiply, so the constant is hidden from it; 512 is a shift.
template <int C>
BREVAN_AVX2_CODE inline __m256i times(__m256i f) {
  if constexpr (C == 512) {
    return _mm256_slli_epi16(f, 9);
  } else {
    __m256i c = _mm256_set1_epi16(C);
    __asm__("" : "+x"(c));
    return _mm256_mullo_epi16(f, c);
  }
}

template <int C0, int C1, int C2>
BREVAN_AVX2_CODE inline __m256i weighedFields(const WordFields& f) {
  const __m256i sum =
      _mm256_add_epi16(_mm256_add_epi16(times<C0>(f.f0), times<C1>(f.f1)), times<C2>(f.f2));
  return _mm256_srai_epi16(sum, 7);
}

// Thirty-two words (two groups of fields) stored as bytes (see packedBytes): packing both groups
// at once takes half the steps of packing each.
template <int C0, int C1, int C2, bool Chroma>
BREVAN_AVX2_CODE inline void storeWeighedWords(uint8_t* out, const WordFields& first,
                                               const WordFields& next) {
  const __m256i a = weighedFields<C0, C1, C2>(first), b = weighedFields<C0, C1, C2>(next);
  store32Bytes(out, _mm256_permute4x64_epi64(packedBytes<Chroma>(a, b), _MM_SHUFFLE(3, 1, 2, 0)));
}
BREVAN_AVX2_CODE inline void storeLumaOfWords(uint8_t* out, const WordFields& first,
                                              const WordFields& next) {
  storeWeighedWords<kLuma.x0, kLuma.x1, kLuma.x2, false>(out, first, next);
}
BREVAN_AVX2_CODE inline void storeTowardX2OfWords(uint8_t* out, const WordFields& first,
                                                  const WordFields& next) {
  storeWeighedWords<kTowardX2.x0, kTowardX2.x1, kTowardX2.x2, true>(out, first, next);
}
BREVAN_AVX2_CODE inline void storeTowardX0OfWords(uint8_t* out, const WordFields& first,
                                                  const WordFields& next) {
  storeWeighedWords<kTowardX0.x0, kTowardX0.x1, kTowardX0.x2, true>(out, first, next);
}

// (8 f0 + 8 f1 + 8 f2) / 3, with x / 3 as (x * 0xAAAB) >> 17.
BREVAN_AVX2_CODE inline void storeBlackWhiteOfWords(uint8_t* out, const WordFields& f) {
  const __m256i sums = _mm256_slli_epi16(_mm256_add_epi16(_mm256_add_epi16(f.f0, f.f1), f.f2), 3);
  storeUnsigned16(out,
                  _mm256_srli_epi16(_mm256_mulhi_epu16(sums, _mm256_set1_epi16(short(0xAAAB))), 1));
}

// Sixteen words, their quarters taken in the order 0, 2, 1, 3 so that the per-half interleaves
// below give pixels 0..7, then 8..15.
BREVAN_AVX2_CODE inline void storeColourOfWords(uint32_t* out, const uint8_t* p) {
  const WordFields f = fieldsOf(_mm256_permute4x64_epi64(load32Bytes(p), _MM_SHUFFLE(3, 1, 2, 0)));
  const __m256i lowMid = _mm256_or_si256(_mm256_slli_epi16(f.f0, 3), _mm256_slli_epi16(f.f1, 11));
  const __m256i high = _mm256_slli_epi16(f.f2, 3);
  store32Bytes(out, _mm256_unpacklo_epi16(lowMid, high));
  store32Bytes(out + 8, _mm256_unpackhi_epi16(lowMid, high));
}

}  // namespace brevan::camcapture::detail::avx2
#endif
