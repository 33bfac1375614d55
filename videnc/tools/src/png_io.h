// Minimal PNG reading and writing over zlib, enough for test pictures and
// for looking at decoded frames: 8-bit grey, RGB and RGBA, not interlaced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brevan::videnc {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes a pixel, row by row
};

// False (with a reason) for anything but the formats above.
bool readPng(const std::string& path, RgbImage& image, std::string& error);
bool writePng(const std::string& path, const RgbImage& image);

// Full-range BT.601 conversions between RGB and planar 4:2:0 (chroma the
// mean of each 2x2 square). Widths and heights are even.
std::vector<uint8_t> rgbToYuv420(const RgbImage& image);
RgbImage yuv420ToRgb(const uint8_t* frame, int width, int height);

}  // namespace brevan::videnc
