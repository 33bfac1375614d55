// Frame geometry and the 32-bit reference planes shared by coder and decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brevan::videnc {

constexpr int kPlaneCount = 3;  // Y, U, V
constexpr int kMaxBlocksPerSide = 255;

// Sizes a packet header can carry: multiples of 16, at most 255 blocks a side.
inline bool validFrameSize(int width, int height) {
  return width > 0 && height > 0 && width % 16 == 0 && height % 16 == 0 &&
         width / 8 <= kMaxBlocksPerSide && height / 8 <= kMaxBlocksPerSide;
}

// Bytes of a planar 4:2:0 frame: W*H luma, then (W/2)*(H/2) of U and of V.
inline size_t frameBytes(int width, int height) {
  return static_cast<size_t>(width) * height + 2 * (static_cast<size_t>(width / 2) * (height / 2));
}

struct PlaneGeometry {
  int width;
  int height;
  size_t offset;  // into the frame bytes
  int32_t bias;   // subtracted from each byte: chroma is centred on 128
};

inline PlaneGeometry planeGeometry(int plane, int width, int height) {
  const size_t luma = static_cast<size_t>(width) * height;
  const size_t chroma = static_cast<size_t>(width / 2) * (height / 2);
  if (plane == 0) return {width, height, 0, 0};
  return {width / 2, height / 2, luma + (plane == 2 ? chroma : 0), 128};
}

struct Plane {
  int width = 0;
  int height = 0;
  std::vector<int32_t> samples;

  void reset(int w, int h) {
    width = w;
    height = h;
    samples.assign(static_cast<size_t>(w) * h, 0);
  }
  int32_t* blockAt(int bx, int by) {
    return samples.data() + static_cast<size_t>(by) * 8 * width + bx * 8;
  }
};

struct ReferencePlanes {
  Plane plane[kPlaneCount];

  void reset(int width, int height) {
    for (int p = 0; p < kPlaneCount; ++p) {
      const PlaneGeometry g = planeGeometry(p, width, height);
      plane[p].reset(g.width, g.height);
    }
  }
  // The planes as bytes of a 4:2:0 frame, clipped to 0..255.
  std::vector<uint8_t> toFrame() const;
};

}  // namespace brevan::videnc
