// Uncompressed frames: rows from the bottom of the picture up, so every output row y (from the
// top) reads source row H - 1 - y. Rows are W pixels without padding.
#include <cstring>

#include "colour_formulas.h"
#include "frame_loops.h"
#include "uncompressed_sse2.h"
#include "words_sse2.h"

namespace brevan::camcapture::detail {
namespace {

// One pixel size's reader. 16-bit words hold three 5-bit fields, scaled by 8.
template <int PixelBytes>
inline Components componentsAt(const uint8_t* pixel) {
  if constexpr (PixelBytes == 2) {
    const unsigned word = unsigned(pixel[0]) | unsigned(pixel[1]) << 8;
    return {int(word & 0x1F) * 8, int((word >> 5) & 0x1F) * 8, int((word >> 10) & 0x1F) * 8};
  } else {
    return {pixel[0], pixel[1], pixel[2]};
  }
}

template <int PixelBytes>
const uint8_t* pictureRow(const Picture& frame, size_t rowFromTop) {
  return frame.bytes + (frame.height - 1 - rowFromTop) * frame.width * PixelBytes;
}

// Every row loop starts with its SSE2 form, which converts whole groups of eight pixels and says
// how far it got; the plain loop finishes the row (all of it without SSE2).
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
void colourRow(const uint8_t* __restrict row, size_t width, uint32_t* __restrict out) {
  for (size_t x = colourStart<PixelBytes>(row, width, out); x < width; ++x) {
    const Components c = componentsAt<PixelBytes>(row + x * PixelBytes);
    out[x] = uint32_t(c.x2) << 16 | uint32_t(c.x1) << 8 | uint32_t(c.x0);
  }
}

template <int PixelBytes>
void toColour(const Picture& frame, uint32_t* out) {
  for (size_t y = 0; y < frame.height; ++y)
    colourRow<PixelBytes>(pictureRow<PixelBytes>(frame, y), frame.width, out + y * frame.width);
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
void blackWhiteRow(const uint8_t* __restrict row, size_t width, uint8_t* __restrict out) {
  for (size_t x = blackWhiteStart<PixelBytes>(row, width, out); x < width; ++x) {
    const Components c = componentsAt<PixelBytes>(row + x * PixelBytes);
    out[x] = uint8_t((c.x0 + c.x1 + c.x2) / 3);
  }
}

template <int PixelBytes>
void toBlackWhite(const Picture& frame, uint8_t* out) {
  for (size_t y = 0; y < frame.height; ++y)
    blackWhiteRow<PixelBytes>(pictureRow<PixelBytes>(frame, y), frame.width, out + y * frame.width);
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

// The planes never overlap the frame or each other: restrict lets the compiler vectorise.
template <int PixelBytes>
void yuvRow(const uint8_t* __restrict row, size_t width, uint8_t* __restrict luma,
            uint8_t* __restrict towardX2, uint8_t* __restrict towardX0) {
  for (size_t x = yuvStart<PixelBytes>(row, width, luma, towardX2, towardX0); x < width; ++x) {
    const Components c = componentsAt<PixelBytes>(row + x * PixelBytes);
    luma[x] = lumaOf(c);
    towardX2[x] = chromaTowardX2(c);
    towardX0[x] = chromaTowardX0(c);
  }
}

template <int PixelBytes>
void toYuv(const Picture& frame, uint8_t* out) {
  const size_t pixels = frame.width * frame.height;
  for (size_t y = 0; y < frame.height; ++y) {
    const size_t at = y * frame.width;
    yuvRow<PixelBytes>(pictureRow<PixelBytes>(frame, y), frame.width, out + at, out + pixels + at,
                       out + 2 * pixels + at);
  }
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

template <int PixelBytes>
void lumaRow(const uint8_t* __restrict row, size_t width, uint8_t* __restrict luma) {
  for (size_t x = lumaStart<PixelBytes>(row, width, luma); x < width; ++x)
    luma[x] = lumaOf(componentsAt<PixelBytes>(row + x * PixelBytes));
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

// One chroma row of YUV22: block x/2 takes the sample of column x (even) of a stored row.
template <int PixelBytes>
void blockChromaRow(const uint8_t* __restrict row, size_t blocks, uint8_t* __restrict towardX0,
                    uint8_t* __restrict towardX2) {
  for (size_t block = blockChromaStart<PixelBytes>(row, blocks, towardX0, towardX2); block < blocks;
       ++block) {
    const Components c = componentsAt<PixelBytes>(row + 2 * block * PixelBytes);
    towardX0[block] = chromaTowardX0(c);
    towardX2[block] = chromaTowardX2(c);
  }
}

// Chroma from one pixel per 2 x 2 block (even column of the block's first stored row), planes in
// the reverse order of toYuv's.
template <int PixelBytes>
void toYuv22(const Picture& frame, uint8_t* out) {
  const size_t pixels = frame.width * frame.height;
  for (size_t y = 0; y < frame.height; ++y)
    lumaRow<PixelBytes>(pictureRow<PixelBytes>(frame, y), frame.width, out + y * frame.width);
  const size_t chromaWidth = frame.width / 2;
  const size_t chromaRows = frame.height / 2;
  uint8_t* towardX0 = out + pixels;
  uint8_t* towardX2 = out + pixels + pixels / 4;
  for (size_t pair = 0; pair < chromaRows; ++pair) {
    const size_t outRow = (chromaRows - 1 - pair) * chromaWidth;
    blockChromaRow<PixelBytes>(frame.bytes + 2 * pair * frame.width * PixelBytes, chromaWidth,
                               towardX0 + outRow, towardX2 + outRow);
  }
}

template <int PixelBytes>
void convertWith(FrameKind kind, const Picture& frame, void* destination) {
  switch (kind) {
    case FrameKind::colour:
      return toColour<PixelBytes>(frame, static_cast<uint32_t*>(destination));
    case FrameKind::blackWhite:
      return toBlackWhite<PixelBytes>(frame, static_cast<uint8_t*>(destination));
    case FrameKind::yuv:
      return toYuv<PixelBytes>(frame, static_cast<uint8_t*>(destination));
    case FrameKind::yuv22:
      return toYuv22<PixelBytes>(frame, static_cast<uint8_t*>(destination));
  }
}

}  // namespace

void convertUncompressed(FrameKind kind, int bitsPerPixel, const Picture& frame,
                         void* destination) {
  if (bitsPerPixel == 24) return convertWith<3>(kind, frame, destination);
  if (bitsPerPixel == 32) return convertWith<4>(kind, frame, destination);
  convertWith<2>(kind, frame, destination);
}

}  // namespace brevan::camcapture::detail
