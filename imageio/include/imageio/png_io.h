// Minimal PNG reading and writing over zlib, enough for test pictures and for looking at
// decoded frames: 8-bit grey, RGB and RGBA, not interlaced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brevan::imageio {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes a pixel, row by row, top row first
};

// False (with a reason) for anything but the formats above, and for sides above 16384.
bool readPng(const std::string& path, RgbImage& image, std::string& error);
// RGB, 8 bits a component; false when the file cannot be written.
bool writePng(const std::string& path, const RgbImage& image);

}  // namespace brevan::imageio
