// AVX-512 form of the colour formula of the luma-and-chroma formats, thirty-two pixels at a time in
// order, with the same products and floor shifts as colour_avx2.h. Byte permutes put the clamped
// bytes straight into their places of the 0x00RRGGBB values.
#pragma once

#include "byte_index.h"
#include "simd_choice.h"

#ifdef BREVAN_CAMCAPTURE_AVX2
namespace brevan::camcapture::detail::avx512 {

struct ChromaTerms {
  __m512i low, mid, high;  // mid is the one subtracted
};

// From thirty-two cx and cz samples (16-bit lanes, 0..255), lane for lane.
BREVAN_AVX512_CODE inline ChromaTerms chromaTerms(__m512i cx, __m512i cz) {
  const __m512i a = _mm512_sub_epi16(cx, _mm512_set1_epi16(128));
  const __m512i b = _mm512_sub_epi16(cz, _mm512_set1_epi16(128));
  const __m512i pairWeights = _mm512_set1_epi32(734 << 16 | 354);  // (b, a) pairs
  const __m512i midFirst = shiftedBy10(_mm512_madd_epi16(_mm512_unpacklo_epi16(b, a), pairWeights));
  const __m512i midNext = shiftedBy10(_mm512_madd_epi16(_mm512_unpackhi_epi16(b, a), pairWeights));
  return {_mm512_mulhi_epi16(_mm512_slli_epi16(a, 6), _mm512_set1_epi16(1441)),
          _mm512_packs_epi32(midFirst, midNext),
          _mm512_mulhi_epi16(_mm512_slli_epi16(b, 6), _mm512_set1_epi16(1822))};
}

// The terms of thirty-two blocks, each doubled for the two pixels of a row it covers: the first
// and the second thirty-two pixels.
inline constexpr ByteIndex kFirstDoubled = wordIndex([](int p) { return p / 2; });
inline constexpr ByteIndex kNextDoubled = wordIndex([](int p) { return 16 + p / 2; });
BREVAN_AVX512_CODE inline ChromaTerms doubled(const ChromaTerms& t, const ByteIndex& which) {
  const __m512i index = load64Bytes(which.at);
  return {_mm512_permutexvar_epi16(index, t.low), _mm512_permutexvar_epi16(index, t.mid),
          _mm512_permutexvar_epi16(index, t.high)};
}

// After the packs, 128-bit quarter q of lowHigh holds the low bytes of pixels 8q..8q+7, then
// their high bytes; the middle bytes of two runs of thirty-two pixels share one pack (from 64 on),
// the first run's in the first eight bytes of each quarter, the second's in the last eight. Each
// 0x00RRGGBB of pixels 16 half .. 16 half + 15 takes its three bytes from there; byte 3 is zeroed.
template <int Half, int Run>
constexpr ByteIndex colourPlaces() {
  return byteIndex([](int i) {
    const int pixel = 16 * Half + i / 4, inQuarter = 16 * (pixel / 8) + pixel % 8;
    const int place[] = {inQuarter, 64 + inQuarter + 8 * Run, inQuarter + 8, 0};
    return place[i % 4];
  });
}
inline constexpr ByteIndex kColourPlaces[2][2] = {{colourPlaces<0, 0>(), colourPlaces<1, 0>()},
                                                  {colourPlaces<0, 1>(), colourPlaces<1, 1>()}};
constexpr __mmask64 kColourBytes = 0x7777777777777777;  // bytes 0..2 of each value

// Two runs of thirty-two 0x00RRGGBB values, each from its luma and terms, in pixel order.
struct ColourRun {
  uint32_t* out;
  __m512i luma;
  const ChromaTerms& terms;
};
BREVAN_AVX512_CODE inline void storeColours(const ColourRun (&runs)[2]) {
  const __m512i midBytes = _mm512_packus_epi16(_mm512_sub_epi16(runs[0].luma, runs[0].terms.mid),
                                               _mm512_sub_epi16(runs[1].luma, runs[1].terms.mid));
  for (int run = 0; run < 2; ++run) {
    const __m512i luma = runs[run].luma;
    const ChromaTerms& t = runs[run].terms;
    const __m512i lowHigh =
        _mm512_packus_epi16(_mm512_add_epi16(luma, t.low), _mm512_add_epi16(luma, t.high));
    for (int half = 0; half < 2; ++half)
      store64Bytes(runs[run].out + 16 * half,
                   _mm512_maskz_permutex2var_epi8(
                       kColourBytes, lowHigh, load64Bytes(kColourPlaces[run][half].at), midBytes));
  }
}

}  // namespace brevan::camcapture::detail::avx512
#endif
