// SSE2 forms of the uncompressed formulas, four pixels at a time: each pixel in a 32-bit lane with
// X0, X1, X2 in bytes 0, 1, 2 (byte 3 is never weighed). The same integer products and floor
// shifts as colour_formulas.h, so the bytes are the same.
#pragma once

#include "colour_formulas.h"
#include "simd_choice.h"

#ifdef BREVAN_CAMCAPTURE_SSE2
namespace brevan::camcapture::detail::sse2 {

// Four pixels from exactly 4 x PixelBytes bytes.
template <int PixelBytes>
__m128i loadFour(const uint8_t* p);

template <>
inline __m128i loadFour<4>(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Pixels 2 and 3 move to the upper half, then each half's second pixel one byte up into its lane.
template <>
inline __m128i loadFour<3>(const uint8_t* p) {
  const __m128i bytes = _mm_unpacklo_epi64(load8Bytes(p), load4Bytes(p + 8));
  const __m128i halves = _mm_castpd_si128(
      _mm_move_sd(_mm_castsi128_pd(_mm_slli_si128(bytes, 2)), _mm_castsi128_pd(bytes)));
  const __m128i first = _mm_and_si128(halves, _mm_set1_epi64x(0xFFFFFF));
  const __m128i second =
      _mm_and_si128(_mm_slli_epi64(halves, 8), _mm_set1_epi64x(0xFFFFFF00000000));
  return _mm_or_si128(first, second);
}

// The three 5-bit fields of each word, scaled by 8, each into its own byte.
template <>
inline __m128i loadFour<2>(const uint8_t* p) {
  const __m128i words = _mm_unpacklo_epi16(load8Bytes(p), _mm_setzero_si128());
  const __m128i x0 = _mm_slli_epi32(_mm_and_si128(words, _mm_set1_epi32(0x1F)), 3);
  const __m128i x1 = _mm_slli_epi32(_mm_and_si128(words, _mm_set1_epi32(0x3E0)), 6);
  const __m128i x2 = _mm_slli_epi32(_mm_and_si128(words, _mm_set1_epi32(0x7C00)), 9);
  return _mm_or_si128(_mm_or_si128(x0, x1), x2);
}

// Pixels 0 and 2 of the first four, then 0 and 2 of the next four: the even columns.
inline __m128i evenPixels(__m128i first, __m128i next) {
  return _mm_castps_si128(
      _mm_shuffle_ps(_mm_castsi128_ps(first), _mm_castsi128_ps(next), _MM_SHUFFLE(2, 0, 2, 0)));
}

// (C0 X0 + C1 X1 + C2 X2) >> 10 per lane, from 16-bit pairs (X0, X2) and (X1, byte 3).
template <int C0, int C1, int C2>
__m128i weighed(__m128i pixels) {
  const __m128i x0x2 = _mm_and_si128(pixels, _mm_set1_epi16(0xFF));
  const __m128i x1 = _mm_srli_epi16(pixels, 8);
  const __m128i sum = _mm_add_epi32(
      _mm_madd_epi16(x0x2, _mm_set1_epi32(int32_t(uint32_t(uint16_t(C2)) << 16 | uint16_t(C0)))),
      _mm_madd_epi16(x1, _mm_set1_epi32(uint16_t(C1))));
  return _mm_srai_epi32(sum, 10);
}

inline __m128i lumaOf(__m128i pixels) { return weighed<kLuma.x0, kLuma.x1, kLuma.x2>(pixels); }
inline __m128i chromaTowardX2(__m128i pixels) {
  return weighed<kTowardX2.x0, kTowardX2.x1, kTowardX2.x2>(pixels);
}
inline __m128i chromaTowardX0(__m128i pixels) {
  return weighed<kTowardX0.x0, kTowardX0.x1, kTowardX0.x2>(pixels);
}

// Eight results (two groups of four lanes) stored as bytes: luma is 0..255; chroma lies in
// -128..127 and is stored as its value - 128's low 8 bits, i.e. with the top bit flipped.
inline void storeLuma(uint8_t* out, __m128i first, __m128i next) {
  store8Bytes(out, _mm_packus_epi16(_mm_packs_epi32(first, next), _mm_setzero_si128()));
}
inline void storeChroma(uint8_t* out, __m128i first, __m128i next) {
  const __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(first, next), _mm_setzero_si128());
  store8Bytes(out, _mm_xor_si128(bytes, _mm_set1_epi8(char(0x80))));
}

inline __m128i colourOf(__m128i pixels) { return _mm_and_si128(pixels, _mm_set1_epi32(0xFFFFFF)); }

// (X0 + X1 + X2) / 3 for eight pixels, as bytes: x / 3 is (x * 0xAAAB) >> 17 for 16-bit x.
inline void storeBlackWhite(uint8_t* out, __m128i first, __m128i next) {
  const auto sumOf = [](__m128i pixels) {
    const __m128i x0x2 = _mm_and_si128(pixels, _mm_set1_epi16(0xFF));
    const __m128i x1 = _mm_srli_epi16(pixels, 8);
    return _mm_add_epi32(_mm_madd_epi16(x0x2, _mm_set1_epi16(1)),
                         _mm_madd_epi16(x1, _mm_set1_epi32(1)));
  };
  const __m128i sums = _mm_packs_epi32(sumOf(first), sumOf(next));
  const __m128i thirds = _mm_srli_epi16(_mm_mulhi_epu16(sums, _mm_set1_epi16(short(0xAAAB))), 1);
  store8Bytes(out, _mm_packus_epi16(thirds, _mm_setzero_si128()));
}

}  // namespace brevan::camcapture::detail::sse2
#endif
