// The SSE2 starts of the uncompressed row loops: each converts whole groups of pixels and says how
// far it got; the plain loop in uncompressed_loops.cpp finishes the row. Without SSE2 they do
// nothing and return 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "uncompressed_sse2.h"
#include "words_sse2.h"

namespace brevan::camcapture::detail {

#ifdef BREVAN_CAMCAPTURE_SSE2
// Words come as their fields (one argument), wider pixels as two groups of four lanes.
template <int PixelBytes, class EightPixels>
size_t eachEight(const uint8_t* row, size_t width, EightPixels&& convert) {
  size_t x = 0;
  for (; x + 8 <= width; x += 8) {
    if constexpr (PixelBytes == 2) {
      convert(x, sse2::loadWords(row + x * 2));
    } else {
      convert(x, sse2::loadFour<PixelBytes>(row + x * PixelBytes),
              sse2::loadFour<PixelBytes>(row + (x + 4) * PixelBytes));
    }
  }
  return x;
}
#endif

template <int PixelBytes>
size_t colourStart([[maybe_unused]] const uint8_t* row, [[maybe_unused]] size_t width,
                   [[maybe_unused]] uint32_t* out) {
#ifdef BREVAN_CAMCAPTURE_SSE2
  if constexpr (PixelBytes == 2) {
    return eachEight<2>(row, width, [&](size_t x, const sse2::WordFields& fields) {
      sse2::storeColourOfWords(out + x, fields);
    });
  } else {
    return eachEight<PixelBytes>(row, width, [&](size_t x, __m128i first, __m128i next) {
      sse2::store16Bytes(out + x, sse2::colourOf(first));
      sse2::store16Bytes(out + x + 4, sse2::colourOf(next));
    });
  }
#else
  return 0;
#endif
}

template <int PixelBytes>
size_t blackWhiteStart([[maybe_unused]] const uint8_t* row, [[maybe_unused]] size_t width,
                       [[maybe_unused]] uint8_t* out) {
#ifdef BREVAN_CAMCAPTURE_SSE2
  // The compiler vectorises the plain loop over 16-bit words a little better than the fields.
  if constexpr (PixelBytes == 2) {
    return 0;
  } else {
    return eachEight<PixelBytes>(row, width, [&](size_t x, __m128i first, __m128i next) {
      sse2::storeBlackWhite(out + x, first, next);
    });
  }
#else
  return 0;
#endif
}

template <int PixelBytes>
size_t yuvStart([[maybe_unused]] const uint8_t* row, [[maybe_unused]] size_t width,
                [[maybe_unused]] uint8_t* luma, [[maybe_unused]] uint8_t* towardX2,
                [[maybe_unused]] uint8_t* towardX0) {
#ifdef BREVAN_CAMCAPTURE_SSE2
  if constexpr (PixelBytes == 2) {
    return eachEight<2>(row, width, [&](size_t x, const sse2::WordFields& fields) {
      sse2::storeLumaOfWords(luma + x, fields);
      sse2::storeTowardX2OfWords(towardX2 + x, fields);
      sse2::storeTowardX0OfWords(towardX0 + x, fields);
    });
  } else {
    return eachEight<PixelBytes>(row, width, [&](size_t x, __m128i first, __m128i next) {
      sse2::storeLuma(luma + x, sse2::lumaOf(first), sse2::lumaOf(next));
      sse2::storeChroma(towardX2 + x, sse2::chromaTowardX2(first), sse2::chromaTowardX2(next));
      sse2::storeChroma(towardX0 + x, sse2::chromaTowardX0(first), sse2::chromaTowardX0(next));
    });
  }
#else
  return 0;
#endif
}

template <int PixelBytes>
size_t lumaStart([[maybe_unused]] const uint8_t* row, [[maybe_unused]] size_t width,
                 [[maybe_unused]] uint8_t* luma) {
#ifdef BREVAN_CAMCAPTURE_SSE2
  if constexpr (PixelBytes == 2) {
    return eachEight<2>(row, width, [&](size_t x, const sse2::WordFields& fields) {
      sse2::storeLumaOfWords(luma + x, fields);
    });
  } else {
    return eachEight<PixelBytes>(row, width, [&](size_t x, __m128i first, __m128i next) {
      sse2::storeLuma(luma + x, sse2::lumaOf(first), sse2::lumaOf(next));
    });
  }
#else
  return 0;
#endif
}

// Eight blocks at a time from the even columns of sixteen pixels.
template <int PixelBytes>
size_t blockChromaStart([[maybe_unused]] const uint8_t* row, [[maybe_unused]] size_t blocks,
                        [[maybe_unused]] uint8_t* towardX0, [[maybe_unused]] uint8_t* towardX2) {
#ifdef BREVAN_CAMCAPTURE_SSE2
  size_t block = 0;
  for (; block + 8 <= blocks; block += 8) {
    const uint8_t* pixels = row + 2 * block * PixelBytes;
    if constexpr (PixelBytes == 2) {
      const sse2::WordFields fields = sse2::loadEvenWords(pixels);
      sse2::storeTowardX0OfWords(towardX0 + block, fields);
      sse2::storeTowardX2OfWords(towardX2 + block, fields);
    } else {
      const __m128i first = sse2::evenPixels(sse2::loadFour<PixelBytes>(pixels),
                                             sse2::loadFour<PixelBytes>(pixels + 4 * PixelBytes));
      const __m128i next = sse2::evenPixels(sse2::loadFour<PixelBytes>(pixels + 8 * PixelBytes),
                                            sse2::loadFour<PixelBytes>(pixels + 12 * PixelBytes));
      sse2::storeChroma(towardX0 + block, sse2::chromaTowardX0(first), sse2::chromaTowardX0(next));
      sse2::storeChroma(towardX2 + block, sse2::chromaTowardX2(first), sse2::chromaTowardX2(next));
    }
  }
  return block;
#else
  return 0;
#endif
}

}  // namespace brevan::camcapture::detail
