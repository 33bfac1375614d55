// Desktop-like frames for tests and benchmarks, made from a seed: a gradient background with
// icons, and windows with a gradient title bar, a frame and lines of text-like glyphs. A window's
// content depends only on its seed, so the same window painted elsewhere is the same picture
// moved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brevan::screensource {

struct Canvas {
  Canvas(int w, int h) : width(w), height(h), pixels(size_t(w) * h, 0) {}
  // Fills [left, right) x [top, bottom), clipped to the canvas.
  void fill(int left, int top, int right, int bottom, uint32_t colour);
  void set(int x, int y, uint32_t colour) {
    if (x >= 0 && y >= 0 && x < width && y < height) pixels[size_t(y) * width + x] = colour;
  }

  int width;
  int height;
  std::vector<uint32_t> pixels;  // top row first
};

void paintBackground(Canvas& canvas, uint32_t seed);
void paintWindow(Canvas& canvas, int left, int top, int width, int height, uint32_t seed);
// The background and a handful of overlapping windows.
Canvas desktopFrame(int width, int height, uint32_t seed);

}  // namespace brevan::screensource
