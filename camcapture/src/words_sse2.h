// SSE2 forms of the uncompressed formulas for 15/16-bit words, eight at a time as 16-bit lanes of
// their 5-bit fields f0, f1, f2. The components are 8 x f, so (C0 X0 + C1 X1 + C2 X2) >> 10 is
// (C0 f0 + C1 f1 + C2 f2) >> 7, and for every formula that sum fits a signed 16-bit lane.
#pragma once

#include "colour_formulas.h"
#include "simd_choice.h"

#ifdef BREVAN_CAMCAPTURE_SSE2
namespace brevan::camcapture::detail::sse2 {

struct WordFields {
  __m128i f0, f1, f2;
};

inline WordFields fieldsOf(__m128i words) {
  const __m128i mask = _mm_set1_epi16(0x1F);
  return {_mm_and_si128(words, mask), _mm_and_si128(_mm_srli_epi16(words, 5), mask),
          _mm_and_si128(_mm_srli_epi16(words, 10), mask)};
}
inline WordFields loadWords(const uint8_t* p) {
  return fieldsOf(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}
// The words at even columns of sixteen (32 bytes).
inline WordFields loadEvenWords(const uint8_t* p) {
  const auto evenOf = [](const uint8_t* at) {
    const __m128i pairs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return _mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16);  // sign-extended: packs keeps them
  };
  return fieldsOf(_mm_packs_epi32(evenOf(p), evenOf(p + 16)));
}

template <int C0, int C1, int C2>
__m128i weighedFields(const WordFields& f) {
  const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(f.f0, _mm_set1_epi16(C0)),
                                                  _mm_mullo_epi16(f.f1, _mm_set1_epi16(C1))),
                                    _mm_mullo_epi16(f.f2, _mm_set1_epi16(C2)));
  return _mm_srai_epi16(sum, 7);
}

inline void storeLumaOfWords(uint8_t* out, const WordFields& f) {
  const __m128i luma = weighedFields<kLuma.x0, kLuma.x1, kLuma.x2>(f);
  store8Bytes(out, _mm_packus_epi16(luma, _mm_setzero_si128()));
}
// Chroma lies in -128..127 and is stored as its value - 128's low 8 bits: the top bit flipped.
template <int C0, int C1, int C2>
void storeChromaOfWords(uint8_t* out, const WordFields& f) {
  const __m128i bytes = _mm_packs_epi16(weighedFields<C0, C1, C2>(f), _mm_setzero_si128());
  store8Bytes(out, _mm_xor_si128(bytes, _mm_set1_epi8(char(0x80))));
}
inline void storeTowardX2OfWords(uint8_t* out, const WordFields& f) {
  storeChromaOfWords<kTowardX2.x0, kTowardX2.x1, kTowardX2.x2>(out, f);
}
inline void storeTowardX0OfWords(uint8_t* out, const WordFields& f) {
  storeChromaOfWords<kTowardX0.x0, kTowardX0.x1, kTowardX0.x2>(out, f);
}

inline void storeColourOfWords(uint32_t* out, const WordFields& f) {
  const __m128i lowMid = _mm_or_si128(_mm_slli_epi16(f.f0, 3), _mm_slli_epi16(f.f1, 11));
  const __m128i high = _mm_slli_epi16(f.f2, 3);
  store16Bytes(out, _mm_unpacklo_epi16(lowMid, high));
  store16Bytes(out + 4, _mm_unpackhi_epi16(lowMid, high));
}

}  // namespace brevan::camcapture::detail::sse2
#endif
