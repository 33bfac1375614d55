// The SSE2 forms of the uncompressed row loops: eight pixels (or blocks) a step from `from` on;
// each returns how far it got and the plain loop finishes the row (uncompressed_row_starts.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "uncompressed_sse2.h"
#include "words_sse2.h"

#ifdef BREVAN_CAMCAPTURE_SSE2
namespace brevan::camcapture::detail::sse2 {

// Words come as their fields (one argument), wider pixels as two groups of four lanes.
template <int PixelBytes, class EightPixels>
size_t eachEight(const uint8_t* row, size_t x, size_t width, EightPixels&& convert) {
  for (; x + 8 <= width; x += 8) {
    if constexpr (PixelBytes == 2) {
      convert(x, loadWords(row + x * 2));
    } else {
      convert(x, loadFour<PixelBytes>(row + x * PixelBytes),
              loadFour<PixelBytes>(row + (x + 4) * PixelBytes));
    }
  }
  return x;
}

template <int PixelBytes>
size_t colourFrom(const uint8_t* row, size_t from, size_t width, uint32_t* out) {
  if constexpr (PixelBytes == 2) {
    return eachEight<2>(row, from, width, [&](size_t x, const WordFields& fields) {
      storeColourOfWords(out + x, fields);
    });
  } else {
    return eachEight<PixelBytes>(row, from, width, [&](size_t x, __m128i first, __m128i next) {
      store16Bytes(out + x, colourOf(first));
      store16Bytes(out + x + 4, colourOf(next));
    });
  }
}

template <int PixelBytes>
size_t blackWhiteFrom(const uint8_t* row, size_t from, size_t width, uint8_t* out) {
  // The compiler vectorises the plain loop over 16-bit words a little better than the fields.
  if constexpr (PixelBytes == 2) {
    return from;
  } else {
    return eachEight<PixelBytes>(row, from, width, [&](size_t x, __m128i first, __m128i next) {
      storeBlackWhite(out + x, first, next);
    });
  }
}

template <int PixelBytes>
size_t yuvFrom(const uint8_t* row, size_t from, size_t width, uint8_t* luma, uint8_t* towardX2,
               uint8_t* towardX0) {
  if constexpr (PixelBytes == 2) {
    return eachEight<2>(row, from, width, [&](size_t x, const WordFields& fields) {
      storeLumaOfWords(luma + x, fields);
      storeTowardX2OfWords(towardX2 + x, fields);
      storeTowardX0OfWords(towardX0 + x, fields);
    });
  } else {
    return eachEight<PixelBytes>(row, from, width, [&](size_t x, __m128i first, __m128i next) {
      storeLuma(luma + x, lumaOf(first), lumaOf(next));
      storeChroma(towardX2 + x, chromaTowardX2(first), chromaTowardX2(next));
      storeChroma(towardX0 + x, chromaTowardX0(first), chromaTowardX0(next));
    });
  }
}

template <int PixelBytes>
size_t lumaFrom(const uint8_t* row, size_t from, size_t width, uint8_t* luma) {
  if constexpr (PixelBytes == 2) {
    return eachEight<2>(row, from, width, [&](size_t x, const WordFields& fields) {
      storeLumaOfWords(luma + x, fields);
    });
  } else {
    return eachEight<PixelBytes>(row, from, width, [&](size_t x, __m128i first, __m128i next) {
      storeLuma(luma + x, lumaOf(first), lumaOf(next));
    });
  }
}

// Eight blocks a step, from the even columns of sixteen pixels.
template <int PixelBytes>
size_t blockChromaFrom(const uint8_t* row, size_t from, size_t blocks, uint8_t* towardX0,
                       uint8_t* towardX2) {
  size_t block = from;
  for (; block + 8 <= blocks; block += 8) {
    const uint8_t* pixels = row + 2 * block * PixelBytes;
    if constexpr (PixelBytes == 2) {
      const WordFields fields = loadEvenWords(pixels);
      storeTowardX0OfWords(towardX0 + block, fields);
      storeTowardX2OfWords(towardX2 + block, fields);
    } else {
      const __m128i first =
          evenPixels(loadFour<PixelBytes>(pixels), loadFour<PixelBytes>(pixels + 4 * PixelBytes));
      const __m128i next = evenPixels(loadFour<PixelBytes>(pixels + 8 * PixelBytes),
                                      loadFour<PixelBytes>(pixels + 12 * PixelBytes));
      storeChroma(towardX0 + block, chromaTowardX0(first), chromaTowardX0(next));
      storeChroma(towardX2 + block, chromaTowardX2(first), chromaTowardX2(next));
    }
  }
  return block;
}

}  // namespace brevan::camcapture::detail::sse2
#endif
