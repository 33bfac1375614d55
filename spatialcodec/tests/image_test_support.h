// Desktop-like test pictures for the image filter tests and benchmarks.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace brevan::spatial::testing {

// Flat panels, a gradient title bar, text-like speckles and a photo-like
// patch: what a screen frame looks like to the filter.
// Without the photo the frame holds fewer than 256 colours at 3 bits.
inline std::vector<uint32_t> desktopFrame(int width, int height, uint32_t seed,
                                          bool withPhoto = true) {
  std::mt19937 rng(seed);
  std::vector<uint32_t> px(size_t(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t c = 0xD4D0C8;  // panel grey
      if (y < 24)
        c = uint32_t(0x0A246A + (x * 0xA6 / (width ? width : 1)) * 0x010000);  // title bar
      else if (withPhoto && x > width / 2 && y > height / 2)
        c = rng();  // photo-like area
      else if ((x / 8 + y / 12) % 7 == 0 && rng() % 3 == 0)
        c = 0x000000;  // text
      else if (x % 200 < 4)
        c = 0x808080;  // window borders
      px[size_t(y) * width + x] = c | 0xFF000000u * (rng() & 1);
    }
  }
  return px;
}

}  // namespace brevan::spatial::testing
