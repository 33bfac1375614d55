#include "test_scenes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace brevan::videnc {
namespace {

uint8_t toByte(double v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5); }

// Smooth value noise, so the disc carries texture the coder must spend bits on.
double texture(double x, double y) {
  return 0.5 * std::sin(x * 0.31 + std::sin(y * 0.17) * 2.0) + 0.3 * std::sin(y * 0.23 - x * 0.11) +
         0.2 * std::sin((x + y) * 0.71);
}

}  // namespace

std::vector<uint8_t> syntheticFrame(int width, int height, int index) {
  std::vector<uint8_t> frame(static_cast<size_t>(width) * height * 3 / 2);
  const double t = index;
  const double discX = width * (0.3 + 0.25 * std::sin(t * 0.07)),
               discY = height * (0.5 + 0.3 * std::cos(t * 0.05));
  const double radius = std::min(width, height) * 0.18;
  const int barX = static_cast<int>(t * 3) % width;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double v = 60 + 100.0 * (x + t * 2) / (width + 200.0) + 40.0 * y / height;
      const double dx = x - discX, dy = y - discY;
      if (dx * dx + dy * dy < radius * radius) v = 150 + 70 * texture(x - discX, y - discY);
      if (std::abs(x - barX) < 12) v = 230;
      if (y > height * 3 / 4 && ((x + index) / 2) % 2 == 0) v = 40;  // fine stripes, scrolling
      frame[static_cast<size_t>(y) * width + x] = toByte(v);
    }
  }
  uint8_t* u = frame.data() + static_cast<size_t>(width) * height;
  uint8_t* vPlane = u + static_cast<size_t>(width / 2) * (height / 2);
  for (int y = 0; y < height / 2; ++y) {
    for (int x = 0; x < width / 2; ++x) {
      const double dx = 2 * x - discX, dy = 2 * y - discY;
      const bool disc = dx * dx + dy * dy < radius * radius;
      u[static_cast<size_t>(y) * (width / 2) + x] = toByte(disc ? 90 : 128 + 30.0 * x / width);
      vPlane[static_cast<size_t>(y) * (width / 2) + x] =
          toByte(disc ? 170 : 120 - 20.0 * y / height);
    }
  }
  return frame;
}

PanSequence::PanSequence(const RgbImage& picture, int width, int height)
    : width_(width), height_(height), pictureWidth_(picture.width), pictureHeight_(picture.height) {
  const size_t n = static_cast<size_t>(picture.width) * picture.height;
  y_.resize(n);
  u_.resize(n);
  v_.resize(n);
  for (size_t i = 0; i < n; ++i) {
    const double r = picture.rgb[3 * i], g = picture.rgb[3 * i + 1], b = picture.rgb[3 * i + 2];
    y_[i] = static_cast<float>(0.299 * r + 0.587 * g + 0.114 * b);
    u_[i] = static_cast<float>(-0.168736 * r - 0.331264 * g + 0.5 * b + 128);
    v_[i] = static_cast<float>(0.5 * r - 0.418688 * g - 0.081312 * b + 128);
  }
  // The frame covers at most 80% of the picture each way, leaving room to pan.
  scale_ = std::min(0.8 * picture.width / width, 0.8 * picture.height / height);
}

double PanSequence::sample(const std::vector<float>& plane, int w, int h, double x,
                           double y) const {
  x = std::min(std::max(x, 0.0), w - 1.001);
  y = std::min(std::max(y, 0.0), h - 1.001);
  const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
  const double fx = x - x0, fy = y - y0;
  const float* p = &plane[static_cast<size_t>(y0) * w + x0];
  return (p[0] * (1 - fx) + p[1] * fx) * (1 - fy) + (p[w] * (1 - fx) + p[w + 1] * fx) * fy;
}

std::vector<uint8_t> PanSequence::frame(int index) const {
  // Pan back and forth over the spare picture area, zooming in slowly.
  const double zoom = scale_ * (1.0 - 0.1 * (0.5 - 0.5 * std::cos(index * 0.02)));
  const double spareX = pictureWidth_ - width_ * zoom, spareY = pictureHeight_ - height_ * zoom;
  const double ox = spareX * (0.5 - 0.5 * std::cos(index * 0.013)),
               oy = spareY * (0.5 - 0.5 * std::cos(index * 0.011));
  std::vector<uint8_t> frame(static_cast<size_t>(width_) * height_ * 3 / 2);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      frame[static_cast<size_t>(y) * width_ + x] =
          toByte(sample(y_, pictureWidth_, pictureHeight_, ox + x * zoom, oy + y * zoom));
    }
  }
  uint8_t* u = frame.data() + static_cast<size_t>(width_) * height_;
  uint8_t* v = u + static_cast<size_t>(width_ / 2) * (height_ / 2);
  for (int y = 0; y < height_ / 2; ++y) {
    for (int x = 0; x < width_ / 2; ++x) {
      const double px = ox + (2 * x + 0.5) * zoom, py = oy + (2 * y + 0.5) * zoom;
      u[static_cast<size_t>(y) * (width_ / 2) + x] =
          toByte(sample(u_, pictureWidth_, pictureHeight_, px, py));
      v[static_cast<size_t>(y) * (width_ / 2) + x] =
          toByte(sample(v_, pictureWidth_, pictureHeight_, px, py));
    }
  }
  return frame;
}

std::vector<uint8_t> windowFrame(const std::vector<uint8_t>& still,
                                 const std::vector<uint8_t>& moving, int width, int height) {
  std::vector<uint8_t> frame = still;
  for (int p = 0; p < 3; ++p) {
    const int w = p == 0 ? width : width / 2, h = p == 0 ? height : height / 2;
    const size_t offset =
        p == 0 ? 0 : static_cast<size_t>(width) * height + (p - 1) * static_cast<size_t>(w) * h;
    const int left = w / 4 + 3, top = h / 4 + 5;
    for (int y = top; y < top + h / 2; ++y) {
      const size_t row = offset + static_cast<size_t>(y) * w;
      std::copy(moving.begin() + row + left, moving.begin() + row + left + w / 2,
                frame.begin() + row + left);
    }
  }
  return frame;
}

bool loadMachinePicture(RgbImage& picture, std::string& path) {
  std::vector<std::string> candidates;
  if (const char* chosen = std::getenv("VIDENC_PICTURE")) candidates.emplace_back(chosen);
  candidates.emplace_back(
      "/usr/lib/google-cloud-sdk/platform/google_appengine/google/appengine/tools/java/jetty12/"
      "jetty-home/"
      "modules/demo.d/root/images/jetty-pic.png");
  candidates.emplace_back("/usr/share/doc/nodejs/contributing/doc_img/compare-boxplot.png");
  for (const std::string& candidate : candidates) {
    std::string error;
    if (imageio::readPng(candidate, picture, error)) {
      path = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace brevan::videnc
