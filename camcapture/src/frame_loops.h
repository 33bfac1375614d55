// The per-family conversion loops. Callers have checked the sizes (frame_conversion.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame_format.h"

namespace brevan::camcapture::detail {

struct Picture {
  const uint8_t* bytes;
  size_t width;
  size_t height;
};

// 15/16, 24 or 32 bits per pixel, rows stored from the bottom of the picture up.
void convertUncompressed(FrameKind kind, int bitsPerPixel, const Picture& frame, void* destination);
// "I420" and "YV12": luma, then two quarter-size chroma planes (their order is what differs).
void convertPlanar(FrameKind kind, bool yv12, const Picture& frame, void* destination);
// 0x33333333 frames, colour only: luma, then full-resolution chroma at N and at N + N/4.
void convertFullChromaToColour(const Picture& frame, uint32_t* destination);

}  // namespace brevan::camcapture::detail
