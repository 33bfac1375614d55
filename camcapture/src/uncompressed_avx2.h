// AVX2 forms of the uncompressed formulas for 24 and 32-bit pixels, eight pixels per register:
// each pixel in a 32-bit lane as in uncompressed_sse2.h, so the sums and shifts are the same.
#pragma once

#include "colour_formulas.h"
#include "simd_choice.h"

#ifdef BREVAN_CAMCAPTURE_AVX2
namespace brevan::camcapture::detail::avx2 {

// Eight pixels from exactly 8 x PixelBytes bytes, X0, X1, X2 in bytes 0, 1, 2 of each lane.
template <int PixelBytes>
__m256i loadEight(const uint8_t* p);

template <>
BREVAN_AVX2_CODE inline __m256i loadEight<4>(const uint8_t* p) {
  return load32Bytes(p);
}

// The 24 bytes of eight 24-bit pixels: bytes 0..15 in the low half, 8..23 in the high half, so
// pixels 0-3 start at byte 0 of the low half and pixels 4-7 at byte 4 of the high half.
BREVAN_AVX2_CODE inline __m256i loadHalves24(const uint8_t* p) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(load16Bytes(p)), load16Bytes(p + 8), 1);
}

// Each pixel's bytes to its lane.
template <>
BREVAN_AVX2_CODE inline __m256i loadEight<3>(const uint8_t* p) {
  const __m256i bytes = loadHalves24(p);
  const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 4,
                                          5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
  return _mm256_shuffle_epi8(bytes, spread);
}

// Sixteen 32-bit results (two registers of eight, in pixel order) as sixteen 16-bit lanes.
BREVAN_AVX2_CODE inline __m256i inOrder16(__m256i first, __m256i next) {
  return _mm256_permute4x64_epi64(_mm256_packs_epi32(first, next), _MM_SHUFFLE(3, 1, 2, 0));
}

// Pixels 0, 2, 4, 6 of the first eight, then of the next eight: the even columns of sixteen.
BREVAN_AVX2_CODE inline __m256i evenPixels(__m256i first, __m256i next) {
  const __m256 pairs = _mm256_shuffle_ps(_mm256_castsi256_ps(first), _mm256_castsi256_ps(next),
                                         _MM_SHUFFLE(2, 0, 2, 0));
  return _mm256_permute4x64_epi64(_mm256_castps_si256(pairs), _MM_SHUFFLE(3, 1, 2, 0));
}

// Eight pixels as the two operands of the weighing: 16-bit pairs (X0, X2) and (X1, byte 3); byte
// 3 is weighed by 0.
struct Pairs {
  __m256i x0x2, x1;
};
BREVAN_AVX2_CODE inline Pairs pairsOf(__m256i pixels) {
  return {_mm256_and_si256(pixels, _mm256_set1_epi16(0xFF)), _mm256_srli_epi16(pixels, 8)};
}
template <int PixelBytes>
Pairs loadEightPairs(const uint8_t* p);
template <>
BREVAN_AVX2_CODE inline Pairs loadEightPairs<4>(const uint8_t* p) {
  return pairsOf(load32Bytes(p));
}
// 24-bit pixels go from their bytes to each operand in one shuffle.
template <>
BREVAN_AVX2_CODE inline Pairs loadEightPairs<3>(const uint8_t* p) {
  const __m256i bytes = loadHalves24(p);
  const __m256i x0x2 = _mm256_setr_epi8(0, -1, 2, -1, 3, -1, 5, -1, 6, -1, 8, -1, 9, -1, 11, -1, 4,
                                        -1, 6, -1, 7, -1, 9, -1, 10, -1, 12, -1, 13, -1, 15, -1);
  const __m256i x1 = _mm256_setr_epi8(1, -1, -1, -1, 4, -1, -1, -1, 7, -1, -1, -1, 10, -1, -1, -1,
                                      5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1, 14, -1, -1, -1);
  return {_mm256_shuffle_epi8(bytes, x0x2), _mm256_shuffle_epi8(bytes, x1)};
}

// (C0 X0 + C1 X1 + C2 X2) >> 10 per lane.
template <int C0, int C1, int C2>
BREVAN_AVX2_CODE inline __m256i weighed(const Pairs& pixels) {
  const __m256i sum = _mm256_add_epi32(
      _mm256_madd_epi16(pixels.x0x2,
                        _mm256_set1_epi32(int32_t(uint32_t(uint16_t(C2)) << 16 | uint16_t(C0)))),
      _mm256_madd_epi16(pixels.x1, _mm256_set1_epi32(uint16_t(C1))));
  return _mm256_srai_epi32(sum, 10);
}

// Thirty-two pixels as four groups of eight, for the formulas stored as bytes: packing four
// registers at once takes half the steps of packing two.
struct ThirtyTwo {
  Pairs eight[4];
};
template <int PixelBytes>
BREVAN_AVX2_CODE inline ThirtyTwo loadThirtyTwo(const uint8_t* p) {
  return {{loadEightPairs<PixelBytes>(p), loadEightPairs<PixelBytes>(p + 8 * PixelBytes),
           loadEightPairs<PixelBytes>(p + 16 * PixelBytes),
           loadEightPairs<PixelBytes>(p + 24 * PixelBytes)}};
}

// (C0 X0 + C1 X1 + C2 X2) >> 10 of thirty-two pixels stored as bytes (see packedBytes). The packs
// interleave the registers' halves; the permutation puts the four-byte groups back in order.
template <int C0, int C1, int C2, bool Chroma>
BREVAN_AVX2_CODE inline void storeWeighed(uint8_t* out, const ThirtyTwo& pixels) {
  const __m256i first = _mm256_packs_epi32(weighed<C0, C1, C2>(pixels.eight[0]),
                                           weighed<C0, C1, C2>(pixels.eight[1]));
  const __m256i next = _mm256_packs_epi32(weighed<C0, C1, C2>(pixels.eight[2]),
                                          weighed<C0, C1, C2>(pixels.eight[3]));
  store32Bytes(out, _mm256_permutevar8x32_epi32(packedBytes<Chroma>(first, next),
                                                _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7)));
}
BREVAN_AVX2_CODE inline void storeLuma(uint8_t* out, const ThirtyTwo& pixels) {
  storeWeighed<kLuma.x0, kLuma.x1, kLuma.x2, false>(out, pixels);
}
BREVAN_AVX2_CODE inline void storeTowardX2(uint8_t* out, const ThirtyTwo& pixels) {
  storeWeighed<kTowardX2.x0, kTowardX2.x1, kTowardX2.x2, true>(out, pixels);
}
BREVAN_AVX2_CODE inline void storeTowardX0(uint8_t* out, const ThirtyTwo& pixels) {
  storeWeighed<kTowardX0.x0, kTowardX0.x1, kTowardX0.x2, true>(out, pixels);
}

BREVAN_AVX2_CODE inline __m256i colourOf(__m256i pixels) {
  return _mm256_and_si256(pixels, _mm256_set1_epi32(0xFFFFFF));
}

// X0 + X1 + X2 per lane: byte pairs summed to 16 bits, then the pairs to 32.
BREVAN_AVX2_CODE inline __m256i sumOf(__m256i pixels) {
  return _mm256_madd_epi16(_mm256_maddubs_epi16(pixels, _mm256_set1_epi32(0x010101)),
                           _mm256_set1_epi16(1));
}
// x / 3 is (x * 0xAAAB) >> 17 for every 16-bit x.
BREVAN_AVX2_CODE inline __m256i thirdOf(__m256i sums16) {
  return _mm256_srli_epi16(_mm256_mulhi_epu16(sums16, _mm256_set1_epi16(short(0xAAAB))), 1);
}

}  // namespace brevan::camcapture::detail::avx2
#endif
