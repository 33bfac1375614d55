// The AVX2 forms of the uncompressed row loops: sixteen pixels (or blocks) a step from `from` on;
// each returns how far it got and the narrower forms finish the row (uncompressed_row_starts.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "uncompressed_avx2.h"
#include "words_avx2.h"

#ifdef BREVAN_CAMCAPTURE_AVX2
namespace brevan::camcapture::detail::avx2 {

template <int PixelBytes>
BREVAN_AVX2_CODE size_t colourFrom(const uint8_t* row, size_t from, size_t width, uint32_t* out) {
  size_t x = from;
  for (; x + 16 <= width; x += 16) {
    if constexpr (PixelBytes == 2) {
      storeColourOfWords(out + x, row + x * 2);
    } else {
      store32Bytes(out + x, colourOf(loadEight<PixelBytes>(row + x * PixelBytes)));
      store32Bytes(out + x + 8, colourOf(loadEight<PixelBytes>(row + (x + 8) * PixelBytes)));
    }
  }
  return x;
}

template <int PixelBytes>
BREVAN_AVX2_CODE size_t blackWhiteFrom(const uint8_t* row, size_t from, size_t width,
                                       uint8_t* out) {
  size_t x = from;
  for (; x + 16 <= width; x += 16) {
    if constexpr (PixelBytes == 2) {
      storeBlackWhiteOfWords(out + x, loadWords(row + x * 2));
    } else {
      const __m256i first = loadEight<PixelBytes>(row + x * PixelBytes);
      const __m256i next = loadEight<PixelBytes>(row + (x + 8) * PixelBytes);
      storeUnsigned16(out + x, thirdOf(inOrder16(sumOf(first), sumOf(next))));
    }
  }
  return x;
}

template <int PixelBytes>
BREVAN_AVX2_CODE size_t yuvFrom(const uint8_t* row, size_t from, size_t width, uint8_t* luma,
                                uint8_t* towardX2, uint8_t* towardX0) {
  size_t x = from;
  for (; x + 16 <= width; x += 16) {
    if constexpr (PixelBytes == 2) {
      const WordFields fields = loadWords(row + x * 2);
      storeLumaOfWords(luma + x, fields);
      storeTowardX2OfWords(towardX2 + x, fields);
      storeTowardX0OfWords(towardX0 + x, fields);
    } else {
      const __m256i first = loadEight<PixelBytes>(row + x * PixelBytes);
      const __m256i next = loadEight<PixelBytes>(row + (x + 8) * PixelBytes);
      storeUnsigned16(luma + x, inOrder16(lumaOf(first), lumaOf(next)));
      storeChroma16(towardX2 + x, inOrder16(chromaTowardX2(first), chromaTowardX2(next)));
      storeChroma16(towardX0 + x, inOrder16(chromaTowardX0(first), chromaTowardX0(next)));
    }
  }
  return x;
}

template <int PixelBytes>
BREVAN_AVX2_CODE size_t lumaFrom(const uint8_t* row, size_t from, size_t width, uint8_t* luma) {
  size_t x = from;
  for (; x + 16 <= width; x += 16) {
    if constexpr (PixelBytes == 2) {
      storeLumaOfWords(luma + x, loadWords(row + x * 2));
    } else {
      storeUnsigned16(luma + x,
                      inOrder16(lumaOf(loadEight<PixelBytes>(row + x * PixelBytes)),
                                lumaOf(loadEight<PixelBytes>(row + (x + 8) * PixelBytes))));
    }
  }
  return x;
}

// Sixteen blocks a step, from the even columns of thirty-two pixels.
template <int PixelBytes>
BREVAN_AVX2_CODE size_t blockChromaFrom(const uint8_t* row, size_t from, size_t blocks,
                                        uint8_t* towardX0, uint8_t* towardX2) {
  size_t block = from;
  for (; block + 16 <= blocks; block += 16) {
    const uint8_t* pixels = row + 2 * block * PixelBytes;
    if constexpr (PixelBytes == 2) {
      const WordFields fields = loadEvenWords(pixels);
      storeTowardX0OfWords(towardX0 + block, fields);
      storeTowardX2OfWords(towardX2 + block, fields);
    } else {
      const __m256i first =
          evenPixels(loadEight<PixelBytes>(pixels), loadEight<PixelBytes>(pixels + 8 * PixelBytes));
      const __m256i next = evenPixels(loadEight<PixelBytes>(pixels + 16 * PixelBytes),
                                      loadEight<PixelBytes>(pixels + 24 * PixelBytes));
      storeChroma16(towardX0 + block, inOrder16(chromaTowardX0(first), chromaTowardX0(next)));
      storeChroma16(towardX2 + block, inOrder16(chromaTowardX2(first), chromaTowardX2(next)));
    }
  }
  return block;
}

}  // namespace brevan::camcapture::detail::avx2
#endif
