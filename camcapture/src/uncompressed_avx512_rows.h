// The AVX-512 forms of the uncompressed row loops that gain from them (all but the chroma of
// YUV22 and the colour of 24 and 32-bit pixels, which the AVX2 form does), thirty-two or
// sixty-four pixels (or blocks) a step from `from` on; each returns how far it got and the
// narrower forms finish the row (uncompressed_row_starts.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "uncompressed_avx512.h"
#include "words_avx512.h"

#ifdef BREVAN_CAMCAPTURE_AVX2
namespace brevan::camcapture::detail::avx512 {

// Thirty-two words a step; the AVX2 form does the 24 and 32-bit pixels.
template <int PixelBytes>
BREVAN_AVX512_CODE size_t colourFrom(const uint8_t* row, size_t from, size_t width, uint32_t* out) {
  size_t x = from;
  if constexpr (PixelBytes == 2) {
    for (; x + 32 <= width; x += 32) storeColourOfWords(out + x, row + x * 2);
  }
  return x;
}

template <int PixelBytes>
BREVAN_AVX512_CODE size_t blackWhiteFrom(const uint8_t* row, size_t from, size_t width,
                                         uint8_t* out) {
  size_t x = from;
  for (; x + 64 <= width; x += 64) {
    if constexpr (PixelBytes == 2) {
      storeBlackWhiteOfWords(out + x, loadWords(row + x * 2), loadWords(row + x * 2 + 64));
    } else {
      storeBlackWhite<PixelBytes>(out + x, row + x * PixelBytes);
    }
  }
  return x;
}

template <int PixelBytes>
BREVAN_AVX512_CODE size_t yuvFrom(const uint8_t* row, size_t from, size_t width, uint8_t* luma,
                                  uint8_t* towardX2, uint8_t* towardX0) {
  size_t x = from;
  for (; x + 64 <= width; x += 64) {
    if constexpr (PixelBytes == 2) {
      const WordFields first = loadWords(row + x * 2), next = loadWords(row + x * 2 + 64);
      storeLumaOfWords(luma + x, first, next);
      storeTowardX2OfWords(towardX2 + x, first, next);
      storeTowardX0OfWords(towardX0 + x, first, next);
    } else {
      const SixtyFour pixels = loadSixtyFour<PixelBytes>(row + x * PixelBytes);
      storeLuma(luma + x, pixels);
      storeTowardX2(towardX2 + x, pixels);
      storeTowardX0(towardX0 + x, pixels);
    }
  }
  return x;
}

template <int PixelBytes>
BREVAN_AVX512_CODE size_t lumaFrom(const uint8_t* row, size_t from, size_t width, uint8_t* luma) {
  size_t x = from;
  for (; x + 64 <= width; x += 64) {
    if constexpr (PixelBytes == 2) {
      storeLumaOfWords(luma + x, loadWords(row + x * 2), loadWords(row + x * 2 + 64));
    } else {
      storeLuma(luma + x, loadSixtyFour<PixelBytes>(row + x * PixelBytes));
    }
  }
  return x;
}

// Sixty-four blocks a step, from the even columns of 128 words; the AVX2 form does the 24 and
// 32-bit pixels.
template <int PixelBytes>
BREVAN_AVX512_CODE size_t blockChromaFrom(const uint8_t* row, size_t from, size_t blocks,
                                          uint8_t* towardX0, uint8_t* towardX2) {
  size_t block = from;
  if constexpr (PixelBytes == 2) {
    for (; block + 64 <= blocks; block += 64) {
      const uint8_t* words = row + 4 * block;
      const WordFields first = loadEvenWords(words), next = loadEvenWords(words + 128);
      storeTowardX0OfWords(towardX0 + block, first, next);
      storeTowardX2OfWords(towardX2 + block, first, next);
    }
  }
  return block;
}

}  // namespace brevan::camcapture::detail::avx512
#endif
