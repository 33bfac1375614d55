// The AVX2 forms of the uncompressed row loops: sixteen or thirty-two pixels (or blocks) a step
// from `from` on; each returns how far it got and the narrower forms finish the row
// (uncompressed_row_starts.h).
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

// Thirty-two pixels a step, so that four registers share each pack (see storeWeighed).
template <int PixelBytes>
BREVAN_AVX2_CODE size_t yuvFrom(const uint8_t* row, size_t from, size_t width, uint8_t* luma,
                                uint8_t* towardX2, uint8_t* towardX0) {
  size_t x = from;
  for (; x + 32 <= width; x += 32) {
    if constexpr (PixelBytes == 2) {
      const WordFields first = loadWords(row + x * 2), next = loadWords(row + x * 2 + 32);
      storeLumaOfWords(luma + x, first, next);
      storeTowardX2OfWords(towardX2 + x, first, next);
      storeTowardX0OfWords(towardX0 + x, first, next);
    } else {
      const ThirtyTwo pixels = loadThirtyTwo<PixelBytes>(row + x * PixelBytes);
      storeLuma(luma + x, pixels);
      storeTowardX2(towardX2 + x, pixels);
      storeTowardX0(towardX0 + x, pixels);
    }
  }
  return x;
}

template <int PixelBytes>
BREVAN_AVX2_CODE size_t lumaFrom(const uint8_t* row, size_t from, size_t width, uint8_t* luma) {
  size_t x = from;
  for (; x + 32 <= width; x += 32) {
    if constexpr (PixelBytes == 2) {
      storeLumaOfWords(luma + x, loadWords(row + x * 2), loadWords(row + x * 2 + 32));
    } else {
      storeLuma(luma + x, loadThirtyTwo<PixelBytes>(row + x * PixelBytes));
    }
  }
  return x;
}

// Thirty-two blocks a step, from the even columns of sixty-four pixels.
template <int PixelBytes>
BREVAN_AVX2_CODE size_t blockChromaFrom(const uint8_t* row, size_t from, size_t blocks,
                                        uint8_t* towardX0, uint8_t* towardX2) {
  size_t block = from;
  for (; block + 32 <= blocks; block += 32) {
    const uint8_t* pixels = row + 2 * block * PixelBytes;
    if constexpr (PixelBytes == 2) {
      const WordFields first = loadEvenWords(pixels), next = loadEvenWords(pixels + 64);
      storeTowardX0OfWords(towardX0 + block, first, next);
      storeTowardX2OfWords(towardX2 + block, first, next);
    } else {
      ThirtyTwo evens;
      for (int i = 0; i < 4; ++i) {
        const uint8_t* sixteen = pixels + 16 * i * PixelBytes;
        evens.eight[i] = pairsOf(evenPixels(loadEight<PixelBytes>(sixteen),
                                            loadEight<PixelBytes>(sixteen + 8 * PixelBytes)));
      }
      storeTowardX0(towardX0 + block, evens);
      storeTowardX2(towardX2 + block, evens);
    }
  }
  return block;
}

}  // namespace brevan::camcapture::detail::avx2
#endif
