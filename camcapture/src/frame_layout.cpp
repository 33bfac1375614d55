#include "frame_conversion.h"

#include <cstdlib>

namespace brevan::camcapture {
namespace {

int bytesPerUncompressedPixel(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 15:
    case 16:
      return 2;
    case 24:
      return 3;
    case 32:
      return 4;
    default:
      return 0;
  }
}

uint64_t destinationBytesOf(FrameKind kind, uint64_t pixels) {
  switch (kind) {
    case FrameKind::colour:
      return pixels * 4;
    case FrameKind::blackWhite:
      return pixels;
    case FrameKind::yuv:
      return pixels * 3;
    case FrameKind::yuv22:
      return pixels + 2 * (pixels / 4);
  }
  return 0;
}

bool isPlanar(uint32_t compression) { return compression == kI420 || compression == kYV12; }

}  // namespace

FrameLayout frameLayout(FrameKind kind, const FrameFormat& format) {
  FrameLayout layout;
  const uint64_t width = uint64_t(std::llabs(format.width));
  const uint64_t height = uint64_t(std::llabs(format.height));
  const uint64_t pixels = width * height;  // at most 2^62: no overflow
  if (format.compression == kUncompressed) {
    const int pixelBytes = bytesPerUncompressedPixel(format.bitsPerPixel);
    if (pixelBytes == 0) return layout;
    layout.frameBytes = pixels * uint64_t(pixelBytes);
    layout.needsEvenSize = kind == FrameKind::yuv22;
  } else if (isPlanar(format.compression)) {
    const bool lumaOnly = kind == FrameKind::blackWhite;
    layout.frameBytes = lumaOnly ? pixels : pixels + 2 * (pixels / 4);
    layout.needsEvenSize = !lumaOnly;
  } else if (format.compression == kFullChroma) {
    if (kind != FrameKind::colour) return layout;
    // Byte N + N/4 + i is the last chroma byte of pixel i.
    layout.frameBytes = 2 * pixels + pixels / 4;
  } else {
    return layout;
  }
  layout.readable = true;
  layout.width = width;
  layout.height = height;
  layout.destinationBytes = destinationBytesOf(kind, pixels);
  return layout;
}

}  // namespace brevan::camcapture
