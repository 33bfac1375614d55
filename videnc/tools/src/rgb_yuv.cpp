#include "rgb_yuv.h"

namespace brevan::videnc {
namespace {

uint8_t clampByte(double v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5); }

}  // namespace

std::vector<uint8_t> rgbToYuv420(const RgbImage& image) {
  const int w = image.width, h = image.height;
  std::vector<uint8_t> frame(static_cast<size_t>(w) * h * 3 / 2);
  uint8_t* u = frame.data() + static_cast<size_t>(w) * h;
  uint8_t* v = u + static_cast<size_t>(w / 2) * (h / 2);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &image.rgb[(static_cast<size_t>(y) * w + x) * 3];
      frame[static_cast<size_t>(y) * w + x] = clampByte(0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]);
    }
  }
  for (int y = 0; y < h / 2; ++y) {
    for (int x = 0; x < w / 2; ++x) {
      double r = 0, g = 0, b = 0;
      for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) {
          const uint8_t* p = &image.rgb[(static_cast<size_t>(2 * y + dy) * w + 2 * x + dx) * 3];
          r += p[0] / 4.0;
          g += p[1] / 4.0;
          b += p[2] / 4.0;
        }
      }
      u[static_cast<size_t>(y) * (w / 2) + x] =
          clampByte(-0.168736 * r - 0.331264 * g + 0.5 * b + 128);
      v[static_cast<size_t>(y) * (w / 2) + x] =
          clampByte(0.5 * r - 0.418688 * g - 0.081312 * b + 128);
    }
  }
  return frame;
}

RgbImage yuv420ToRgb(const uint8_t* frame, int width, int height) {
  RgbImage image;
  image.width = width;
  image.height = height;
  image.rgb.resize(static_cast<size_t>(width) * height * 3);
  const uint8_t* u = frame + static_cast<size_t>(width) * height;
  const uint8_t* v = u + static_cast<size_t>(width / 2) * (height / 2);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double luma = frame[static_cast<size_t>(y) * width + x];
      const size_t c = static_cast<size_t>(y / 2) * (width / 2) + x / 2;
      const double cb = u[c] - 128.0, cr = v[c] - 128.0;
      uint8_t* p = &image.rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = clampByte(luma + 1.402 * cr);
      p[1] = clampByte(luma - 0.344136 * cb - 0.714136 * cr);
      p[2] = clampByte(luma + 1.772 * cb);
    }
  }
  return image;
}

}  // namespace brevan::videnc
