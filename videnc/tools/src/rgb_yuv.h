// Full-range BT.601 conversions between RGB pictures and planar 4:2:0 frames (chroma the mean
// of each 2x2 square). Widths and heights are even.
#pragma once

#include <cstdint>
#include <vector>

#include "imageio/png_io.h"

namespace brevan::videnc {

using imageio::RgbImage;

std::vector<uint8_t> rgbToYuv420(const RgbImage& image);
RgbImage yuv420ToRgb(const uint8_t* frame, int width, int height);

}  // namespace brevan::videnc
