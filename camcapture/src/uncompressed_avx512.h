// AVX-512 forms of the weighed formulas for 24 and 32-bit pixels, sixteen pixels per register,
// each in a 32-bit lane with the same pair products and shifts as uncompressed_avx2.h.
#pragma once

#include "byte_index.h"
#include "colour_formulas.h"
#include "simd_choice.h"

#ifdef BREVAN_CAMCAPTURE_AVX2
namespace brevan::camcapture::detail::avx512 {

// Sixteen pixels as the two operands of the weighing: 16-bit pairs (X0, X2) and (X1, byte 3 or 0);
// the second half of the second pair is weighed by 0.
struct Pairs {
  __m512i x0x2, x1;
};

// 24-bit pixel k's bytes 3k, 3k+1, 3k+2 to the places of each operand (the others are zeroed).
inline constexpr ByteIndex kX0X2Of24 = byteIndex([](int i) { return 3 * (i / 4) + i % 4; });
inline constexpr ByteIndex kX1Of24 = byteIndex([](int i) { return 3 * (i / 4) + 1; });
constexpr __mmask64 kX0X2Places = 0x5555555555555555;  // bytes 0 and 2 of each lane
constexpr __mmask64 kX1Places = 0x1111111111111111;    // byte 0 of each lane

template <int PixelBytes>
Pairs loadSixteenPairs(const uint8_t* p);
template <>
BREVAN_AVX512_CODE inline Pairs loadSixteenPairs<4>(const uint8_t* p) {
  const __m512i pixels = load64Bytes(p);
  return {_mm512_and_si512(pixels, _mm512_set1_epi16(0xFF)), _mm512_srli_epi16(pixels, 8)};
}
// Exactly the 48 bytes of sixteen pixels are read (the mask keeps the load inside the row).
template <>
BREVAN_AVX512_CODE inline Pairs loadSixteenPairs<3>(const uint8_t* p) {
  const __m512i bytes = _mm512_maskz_loadu_epi8(0xFFFFFFFFFFFF, p);
  return {_mm512_maskz_permutexvar_epi8(kX0X2Places, load64Bytes(kX0X2Of24.at), bytes),
          _mm512_maskz_permutexvar_epi8(kX1Places, load64Bytes(kX1Of24.at), bytes)};
}

// (C0 X0 + C1 X1 + C2 X2) >> 10 per lane.
template <int C0, int C1, int C2>
BREVAN_AVX512_CODE inline __m512i weighed(const Pairs& pixels) {
  const __m512i sum = _mm512_add_epi32(
      _mm512_madd_epi16(pixels.x0x2,
                        _mm512_set1_epi32(int32_t(uint32_t(uint16_t(C2)) << 16 | uint16_t(C0)))),
      _mm512_madd_epi16(pixels.x1, _mm512_set1_epi32(uint16_t(C1))));
  return shiftedBy10(sum);
}

// Sixty-four pixels as four groups of sixteen.
struct SixtyFour {
  Pairs sixteen[4];
};
template <int PixelBytes>
BREVAN_AVX512_CODE inline SixtyFour loadSixtyFour(const uint8_t* p) {
  return {{loadSixteenPairs<PixelBytes>(p), loadSixteenPairs<PixelBytes>(p + 16 * PixelBytes),
           loadSixteenPairs<PixelBytes>(p + 32 * PixelBytes),
           loadSixteenPairs<PixelBytes>(p + 48 * PixelBytes)}};
}

// After packing groups a, b (and c, d) to 16 bits, 128-bit quarter q holds a's pixels 4q..4q+3,
// then b's. Pixel m of the 64 is the low byte of its word there, in the first or second register.
inline constexpr ByteIndex kPackedInOrder = byteIndex([](int m) {
  const int half = m / 32, inHalf = m % 32, group = inHalf / 16, pixel = inHalf % 16;
  return 64 * half + 2 * (8 * (pixel / 4) + 4 * group + pixel % 4);
});

// (C0 X0 + C1 X1 + C2 X2) >> 10 of sixty-four pixels stored as bytes: luma (0..255) as it is,
// chroma (-128..127) as its value - 128's low 8 bits, i.e. with the top bit flipped.
template <int C0, int C1, int C2, bool Chroma>
BREVAN_AVX512_CODE inline void storeWeighed(uint8_t* out, const SixtyFour& pixels) {
  const __m512i first = _mm512_packs_epi32(weighed<C0, C1, C2>(pixels.sixteen[0]),
                                           weighed<C0, C1, C2>(pixels.sixteen[1]));
  const __m512i next = _mm512_packs_epi32(weighed<C0, C1, C2>(pixels.sixteen[2]),
                                          weighed<C0, C1, C2>(pixels.sixteen[3]));
  __m512i bytes = _mm512_permutex2var_epi8(first, load64Bytes(kPackedInOrder.at), next);
  if constexpr (Chroma) bytes = _mm512_xor_si512(bytes, _mm512_set1_epi8(char(0x80)));
  store64Bytes(out, bytes);
}
BREVAN_AVX512_CODE inline void storeLuma(uint8_t* out, const SixtyFour& pixels) {
  storeWeighed<kLuma.x0, kLuma.x1, kLuma.x2, false>(out, pixels);
}
BREVAN_AVX512_CODE inline void storeTowardX2(uint8_t* out, const SixtyFour& pixels) {
  storeWeighed<kTowardX2.x0, kTowardX2.x1, kTowardX2.x2, true>(out, pixels);
}
BREVAN_AVX512_CODE inline void storeTowardX0(uint8_t* out, const SixtyFour& pixels) {
  storeWeighed<kTowardX0.x0, kTowardX0.x1, kTowardX0.x2, true>(out, pixels);
}

// Sixteen pixels with X0, X1, X2 in bytes 0, 1, 2 of each lane (byte 3 is not looked at; the 24-bit
// pixels have 0 there).
inline constexpr ByteIndex kPixelsOf24 = byteIndex([](int i) { return 3 * (i / 4) + i % 4; });
constexpr __mmask64 kPixelBytes = 0x7777777777777777;  // bytes 0..2 of each lane
template <int PixelBytes>
__m512i loadSixteen(const uint8_t* p);
template <>
BREVAN_AVX512_CODE inline __m512i loadSixteen<4>(const uint8_t* p) {
  return load64Bytes(p);
}
template <>
BREVAN_AVX512_CODE inline __m512i loadSixteen<3>(const uint8_t* p) {
  return _mm512_maskz_permutexvar_epi8(kPixelBytes, load64Bytes(kPixelsOf24.at),
                                       _mm512_maskz_loadu_epi8(0xFFFFFFFFFFFF, p));
}

// X0 + X1 + X2 per lane: byte pairs summed to 16 bits, then the pairs to 32.
BREVAN_AVX512_CODE inline __m512i sumOf(__m512i pixels) {
  return _mm512_madd_epi16(_mm512_maddubs_epi16(pixels, _mm512_set1_epi32(0x010101)),
                           _mm512_set1_epi16(1));
}
// (X0 + X1 + X2) / 3 of thirty-two pixels (two registers of sums) in packed order (see
// kPackedInOrder); x / 3 is (x * 0xAAAB) >> 17 for every 16-bit x.
BREVAN_AVX512_CODE inline __m512i thirdOfPacked(__m512i sums, __m512i nextSums) {
  const __m512i packed = _mm512_packs_epi32(sums, nextSums);
  return _mm512_srli_epi16(_mm512_mulhi_epu16(packed, _mm512_set1_epi16(short(0xAAAB))), 1);
}
// (X0 + X1 + X2) / 3 of sixty-four pixels stored as bytes.
template <int PixelBytes>
BREVAN_AVX512_CODE inline void storeBlackWhite(uint8_t* out, const uint8_t* p) {
  __m512i sums[4];
  for (int group = 0; group < 4; ++group)
    sums[group] = sumOf(loadSixteen<PixelBytes>(p + 16 * group * PixelBytes));
  store64Bytes(
      out, _mm512_permutex2var_epi8(thirdOfPacked(sums[0], sums[1]), load64Bytes(kPackedInOrder.at),
                                    thirdOfPacked(sums[2], sums[3])));
}

}  // namespace brevan::camcapture::detail::avx512
#endif
