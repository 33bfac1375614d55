// SSE2 form of the colour formula of the luma-and-chroma formats, eight pixels at a time. The
// same floor shifts as colour_formulas.h: (a x c) >> 10 is the high half of (a x 64) x c, and
// packing to unsigned bytes is the clamp.
#pragma once

#include "simd_choice.h"

#ifdef BREVAN_CAMCAPTURE_SSE2
namespace brevan::camcapture::detail::sse2 {

// The three chroma terms of eight pixels as 16-bit lanes; mid is the one subtracted.
struct ChromaTerms {
  __m128i low, mid, high;
};

// From eight cx and eight cz samples (16-bit lanes, 0..255).
inline ChromaTerms chromaTerms(__m128i cx, __m128i cz) {
  const __m128i a = _mm_sub_epi16(cx, _mm_set1_epi16(128));
  const __m128i b = _mm_sub_epi16(cz, _mm_set1_epi16(128));
  const __m128i pairWeights = _mm_set1_epi32(734 << 16 | 354);  // (b, a) pairs
  const __m128i midFirst =
      _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(b, a), pairWeights), 10);
  const __m128i midNext = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(b, a), pairWeights), 10);
  return {_mm_mulhi_epi16(_mm_slli_epi16(a, 6), _mm_set1_epi16(1441)),
          _mm_packs_epi32(midFirst, midNext),
          _mm_mulhi_epi16(_mm_slli_epi16(b, 6), _mm_set1_epi16(1822))};
}

// Each term twice over: the first four samples for eight pixels, then the next four.
inline ChromaTerms firstDoubled(const ChromaTerms& t) {
  return {_mm_unpacklo_epi16(t.low, t.low), _mm_unpacklo_epi16(t.mid, t.mid),
          _mm_unpacklo_epi16(t.high, t.high)};
}
inline ChromaTerms nextDoubled(const ChromaTerms& t) {
  return {_mm_unpackhi_epi16(t.low, t.low), _mm_unpackhi_epi16(t.mid, t.mid),
          _mm_unpackhi_epi16(t.high, t.high)};
}

// Eight 0x00RRGGBB values from eight luma lanes and their terms.
inline void storeColour(uint32_t* out, __m128i luma, const ChromaTerms& t) {
  const __m128i lowHigh = _mm_packus_epi16(_mm_add_epi16(luma, t.low), _mm_add_epi16(luma, t.high));
  const __m128i mid = _mm_packus_epi16(_mm_sub_epi16(luma, t.mid), _mm_setzero_si128());
  const __m128i lowMid = _mm_unpacklo_epi8(lowHigh, mid);
  const __m128i highZero = _mm_unpackhi_epi8(lowHigh, _mm_setzero_si128());
  store16Bytes(out, _mm_unpacklo_epi16(lowMid, highZero));
  store16Bytes(out + 4, _mm_unpackhi_epi16(lowMid, highZero));
}

}  // namespace brevan::camcapture::detail::sse2
#endif
