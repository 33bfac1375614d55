#include "planes.h"

namespace brevan::videnc {

std::vector<uint8_t> ReferencePlanes::toFrame() const {
  std::vector<uint8_t> frame(frameBytes(plane[0].width, plane[0].height));
  for (int p = 0; p < kPlaneCount; ++p) {
    const PlaneGeometry g = planeGeometry(p, plane[0].width, plane[0].height);
    for (size_t i = 0; i < plane[p].samples.size(); ++i) {
      const int64_t v = static_cast<int64_t>(plane[p].samples[i]) + g.bias;
      frame[g.offset + i] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
  }
  return frame;
}

}  // namespace brevan::videnc
