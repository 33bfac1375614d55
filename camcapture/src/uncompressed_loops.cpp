// Uncompressed frames: rows from the bottom of the picture up, so every output row y (from the
// top) reads source row H - 1 - y. Rows are W pixels without padding.
#include <cstring>

#include "colour_formulas.h"
#include "frame_loops.h"
#include "uncompressed_row_starts.h"

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

template <int PixelBytes>
void colourRow(Loops loops, const uint8_t* __restrict row, size_t width, uint32_t* __restrict out) {
  for (size_t x = colourStart<PixelBytes>(loops, row, width, out); x < width; ++x) {
    const Components c = componentsAt<PixelBytes>(row + x * PixelBytes);
    out[x] = uint32_t(c.x2) << 16 | uint32_t(c.x1) << 8 | uint32_t(c.x0);
  }
}

template <int PixelBytes>
void toColour(Loops loops, const Picture& frame, uint32_t* out) {
  for (size_t y = 0; y < frame.height; ++y)
    colourRow<PixelBytes>(loops, pictureRow<PixelBytes>(frame, y), frame.width,
                          out + y * frame.width);
}

template <int PixelBytes>
void blackWhiteRow(Loops loops, const uint8_t* __restrict row, size_t width,
                   uint8_t* __restrict out) {
  for (size_t x = blackWhiteStart<PixelBytes>(loops, row, width, out); x < width; ++x) {
    const Components c = componentsAt<PixelBytes>(row + x * PixelBytes);
    out[x] = uint8_t((c.x0 + c.x1 + c.x2) / 3);
  }
}

template <int PixelBytes>
void toBlackWhite(Loops loops, const Picture& frame, uint8_t* out) {
  for (size_t y = 0; y < frame.height; ++y)
    blackWhiteRow<PixelBytes>(loops, pictureRow<PixelBytes>(frame, y), frame.width,
                              out + y * frame.width);
}

// The planes never overlap the frame or each other: restrict lets the compiler vectorise.
template <int PixelBytes>
void yuvRow(Loops loops, const uint8_t* __restrict row, size_t width, uint8_t* __restrict luma,
            uint8_t* __restrict towardX2, uint8_t* __restrict towardX0) {
  for (size_t x = yuvStart<PixelBytes>(loops, row, width, luma, towardX2, towardX0); x < width;
       ++x) {
    const Components c = componentsAt<PixelBytes>(row + x * PixelBytes);
    luma[x] = lumaOf(c);
    towardX2[x] = chromaTowardX2(c);
    towardX0[x] = chromaTowardX0(c);
  }
}

template <int PixelBytes>
void toYuv(Loops loops, const Picture& frame, uint8_t* out) {
  const size_t pixels = frame.width * frame.height;
  for (size_t y = 0; y < frame.height; ++y) {
    const size_t at = y * frame.width;
    yuvRow<PixelBytes>(loops, pictureRow<PixelBytes>(frame, y), frame.width, out + at,
                       out + pixels + at, out + 2 * pixels + at);
  }
}

template <int PixelBytes>
void lumaRow(Loops loops, const uint8_t* __restrict row, size_t width, uint8_t* __restrict luma) {
  for (size_t x = lumaStart<PixelBytes>(loops, row, width, luma); x < width; ++x)
    luma[x] = lumaOf(componentsAt<PixelBytes>(row + x * PixelBytes));
}

// One chroma row of YUV22: block x/2 takes the sample of column x (even) of a stored row.
template <int PixelBytes>
void blockChromaRow(Loops loops, const uint8_t* __restrict row, size_t blocks,
                    uint8_t* __restrict towardX0, uint8_t* __restrict towardX2) {
  for (size_t block = blockChromaStart<PixelBytes>(loops, row, blocks, towardX0, towardX2);
       block < blocks; ++block) {
    const Components c = componentsAt<PixelBytes>(row + 2 * block * PixelBytes);
    towardX0[block] = chromaTowardX0(c);
    towardX2[block] = chromaTowardX2(c);
  }
}

// Chroma from one pixel per 2 x 2 block (even column of the block's first stored row), planes in
// the reverse order of toYuv's. Sizes are even here. Each pair of stored rows is done at once, the
// chroma right after the luma of the same row, while that row is still in the nearest cache.
template <int PixelBytes>
void toYuv22(Loops loops, const Picture& frame, uint8_t* out) {
  const size_t pixels = frame.width * frame.height;
  const size_t rowBytes = frame.width * PixelBytes;
  const size_t chromaWidth = frame.width / 2;
  const size_t chromaRows = frame.height / 2;
  uint8_t* towardX0 = out + pixels;
  uint8_t* towardX2 = out + pixels + pixels / 4;
  for (size_t pair = 0; pair < chromaRows; ++pair) {
    const uint8_t* first = frame.bytes + 2 * pair * rowBytes;  // stored rows 2 pair, 2 pair + 1
    const size_t outRow = frame.height - 1 - 2 * pair;         // the picture row of the first
    lumaRow<PixelBytes>(loops, first, frame.width, out + outRow * frame.width);
    const size_t chromaAt = (chromaRows - 1 - pair) * chromaWidth;
    blockChromaRow<PixelBytes>(loops, first, chromaWidth, towardX0 + chromaAt, towardX2 + chromaAt);
    lumaRow<PixelBytes>(loops, first + rowBytes, frame.width, out + (outRow - 1) * frame.width);
  }
}

template <int PixelBytes>
void convertWith(FrameKind kind, const Picture& frame, void* destination) {
  const Loops loops = loopsInUse();
  switch (kind) {
    case FrameKind::colour:
      return toColour<PixelBytes>(loops, frame, static_cast<uint32_t*>(destination));
    case FrameKind::blackWhite:
      return toBlackWhite<PixelBytes>(loops, frame, static_cast<uint8_t*>(destination));
    case FrameKind::yuv:
      return toYuv<PixelBytes>(loops, frame, static_cast<uint8_t*>(destination));
    case FrameKind::yuv22:
      return toYuv22<PixelBytes>(loops, frame, static_cast<uint8_t*>(destination));
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
