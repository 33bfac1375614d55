// AVX-512 forms of the formulas for 15/16-bit words, thirty-two at a time as 16-bit lanes of their
// 5-bit fields, with the same sums and shifts as words_avx2.h.
#pragma once

#include "byte_index.h"
#include "colour_formulas.h"
#include "simd_choice.h"

#ifdef BREVAN_CAMCAPTURE_AVX2
namespace brevan::camcapture::detail::avx512 {

struct WordFields {
  __m512i f0, f1, f2;
};

BREVAN_AVX512_CODE inline WordFields fieldsOf(__m512i words) {
  const __m512i mask = _mm512_set1_epi16(0x1F);
  return {_mm512_and_si512(words, mask), _mm512_and_si512(_mm512_srli_epi16(words, 5), mask),
          _mm512_and_si512(_mm512_srli_epi16(words, 10), mask)};
}
BREVAN_AVX512_CODE inline WordFields loadWords(const uint8_t* p) {
  return fieldsOf(load64Bytes(p));
}
inline constexpr ByteIndex kEvenWords = wordIndex([](int i) { return 2 * i; });
inline constexpr ByteIndex kLowBytes = byteIndex([](int i) { return 2 * i; });

// The words at even columns of sixty-four (128 bytes), in order.
BREVAN_AVX512_CODE inline WordFields loadEvenWords(const uint8_t* p) {
  return fieldsOf(
      _mm512_permutex2var_epi16(load64Bytes(p), load64Bytes(kEvenWords.at), load64Bytes(p + 64)));
}

// f x C in 16-bit lanes; the constant is hidden from the compiler, which would otherwise spell
// most products as several shifts and adds (see words_avx2.h). 512 is a shift.
template <int C>
BREVAN_AVX512_CODE inline __m512i times(__m512i f) {
  if constexpr (C == 512) {
    return _mm512_slli_epi16(f, 9);
  } else {
    __m512i c = _mm512_set1_epi16(C);
    __asm__("" : "+v"(c));
    return _mm512_mullo_epi16(f, c);
  }
}

template <int C0, int C1, int C2>
BREVAN_AVX512_CODE inline __m512i weighedFields(const WordFields& f) {
  const __m512i sum =
      _mm512_add_epi16(_mm512_add_epi16(times<C0>(f.f0), times<C1>(f.f1)), times<C2>(f.f2));
  return _mm512_srai_epi16(sum, 7);
}

// Sixty-four words (two groups of fields) stored as the low bytes of their results, taken in
// order by one byte permute. Luma lies in 0..248, so its low byte is the value; chroma (-128..127)
// is stored as its value - 128's low 8 bits, i.e. with the top bit flipped.
template <int C0, int C1, int C2, bool Chroma>
BREVAN_AVX512_CODE inline void storeWeighedWords(uint8_t* out, const WordFields& first,
                                                 const WordFields& next) {
  __m512i bytes = _mm512_permutex2var_epi8(
      weighedFields<C0, C1, C2>(first), load64Bytes(kLowBytes.at), weighedFields<C0, C1, C2>(next));
  if constexpr (Chroma) bytes = _mm512_xor_si512(bytes, _mm512_set1_epi8(char(0x80)));
  store64Bytes(out, bytes);
}
BREVAN_AVX512_CODE inline void storeLumaOfWords(uint8_t* out, const WordFields& first,
                                                const WordFields& next) {
  storeWeighedWords<kLuma.x0, kLuma.x1, kLuma.x2, false>(out, first, next);
}
BREVAN_AVX512_CODE inline void storeTowardX2OfWords(uint8_t* out, const WordFields& first,
                                                    const WordFields& next) {
  storeWeighedWords<kTowardX2.x0, kTowardX2.x1, kTowardX2.x2, true>(out, first, next);
}
BREVAN_AVX512_CODE inline void storeTowardX0OfWords(uint8_t* out, const WordFields& first,
                                                    const WordFields& next) {
  storeWeighedWords<kTowardX0.x0, kTowardX0.x1, kTowardX0.x2, true>(out, first, next);
}

// (8 f0 + 8 f1 + 8 f2) / 3 of sixty-four words, with x / 3 as (x * 0xAAAB) >> 17; the results
// (0..248) are the low bytes.
BREVAN_AVX512_CODE inline __m512i thirdOfSums(const WordFields& f) {
  const __m512i sums = _mm512_slli_epi16(_mm512_add_epi16(_mm512_add_epi16(f.f0, f.f1), f.f2), 3);
  return _mm512_srli_epi16(_mm512_mulhi_epu16(sums, _mm512_set1_epi16(short(0xAAAB))), 1);
}
BREVAN_AVX512_CODE inline void storeBlackWhiteOfWords(uint8_t* out, const WordFields& first,
                                                      const WordFields& next) {
  store64Bytes(out, _mm512_permutex2var_epi8(thirdOfSums(first), load64Bytes(kLowBytes.at),
                                             thirdOfSums(next)));
}

// Thirty-two words, reordered so that the per-quarter interleaves below give pixels 0..15, then
// 16..31: quarter q holds pixels 4q..4q+3 and 16+4q..16+4q+3.
inline constexpr ByteIndex kColourOrder =
    wordIndex([](int i) { return 4 * (i / 8) + (i % 8 < 4 ? i % 8 : 16 + i % 8 - 4); });
BREVAN_AVX512_CODE inline void storeColourOfWords(uint32_t* out, const uint8_t* p) {
  const WordFields f =
      fieldsOf(_mm512_permutexvar_epi16(load64Bytes(kColourOrder.at), load64Bytes(p)));
  const __m512i lowMid = _mm512_or_si512(_mm512_slli_epi16(f.f0, 3), _mm512_slli_epi16(f.f1, 11));
  const __m512i high = _mm512_slli_epi16(f.f2, 3);
  store64Bytes(out, _mm512_unpacklo_epi16(lowMid, high));
  store64Bytes(out + 16, _mm512_unpackhi_epi16(lowMid, high));
}

}  // namespace brevan::camcapture::detail::avx512
#endif
