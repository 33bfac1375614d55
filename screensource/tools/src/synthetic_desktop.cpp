#include "synthetic_desktop.h"

#include <algorithm>
#include <random>

namespace brevan::screensource {
namespace {

constexpr int kTitleHeight = 22;
constexpr int kLineHeight = 16;
constexpr int kGlyphWidth = 7;
constexpr int kGlyphHeight = 11;

uint32_t rgb(int r, int g, int b) { return uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16; }

// A glyph of up to six strokes on a 7 x 11 cell: three columns and three rows.
void paintGlyph(Canvas& canvas, int left, int top, unsigned strokes, uint32_t ink) {
  for (int i = 0; i < 3; ++i) {
    if (strokes & (1u << i))
      for (int y = 0; y < kGlyphHeight - 1; ++y) canvas.set(left + 3 * i, top + y, ink);
    if (strokes & (8u << i))
      for (int x = 0; x < kGlyphWidth - 1; ++x) canvas.set(left + x, top + 5 * i, ink);
  }
}

void paintText(Canvas& canvas, int left, int top, int right, int bottom, std::mt19937& rng) {
  for (int y = top + 4; y + kGlyphHeight <= bottom; y += kLineHeight) {
    int x = left + 6;
    const int lineEnd = right - 6 - int(rng() % std::max(1, (right - left) / 3));
    while (x + kGlyphWidth <= lineEnd) {
      const int glyphs = 2 + int(rng() % 8);
      for (int g = 0; g < glyphs && x + kGlyphWidth <= lineEnd; ++g, x += kGlyphWidth + 1)
        paintGlyph(canvas, x, y, 1 + rng() % 63, rgb(16, 16, 24));
      x += 2 * kGlyphWidth;  // the space between words
    }
  }
}

}  // namespace

void Canvas::fill(int left, int top, int right, int bottom, uint32_t colour) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width);
  bottom = std::min(bottom, height);
  for (int y = top; y < bottom; ++y)
    std::fill_n(&pixels[size_t(y) * width + left], std::max(right - left, 0), colour);
}

void paintBackground(Canvas& canvas, uint32_t seed) {
  for (int y = 0; y < canvas.height; ++y) {
    const int shade = y * 96 / std::max(canvas.height, 1);
    canvas.fill(0, y, canvas.width, y + 1, rgb(20 + shade / 2, 60 + shade / 3, 120 + shade));
  }
  std::mt19937 rng(seed);
  for (int i = 0; i < canvas.height / 80; ++i) {  // a column of desktop icons
    const int top = 16 + 80 * i;
    for (int y = 0; y < 32; ++y)
      canvas.fill(24, top + y, 56, top + y + 1, rgb(200 - 4 * y, 160 + int(rng() % 8), 40 + 5 * y));
  }
}

void paintWindow(Canvas& canvas, int left, int top, int width, int height, uint32_t seed) {
  std::mt19937 rng(seed);
  const int right = left + width;
  const int bottom = top + height;
  canvas.fill(left, top, right, bottom, rgb(64, 64, 64));                     // frame
  canvas.fill(left + 1, top + 1, right - 1, bottom - 1, rgb(236, 233, 216));  // face
  for (int x = left + 1; x < right - 1; ++x) {
    const int shade = (x - left) * 160 / std::max(width, 1);
    canvas.fill(x, top + 1, x + 1, top + kTitleHeight,
                rgb(10 + shade / 2, 36 + shade / 2, 106 + shade / 2));
  }
  canvas.fill(left + 4, top + kTitleHeight + 4, right - 4, bottom - 4, rgb(255, 255, 255));
  paintText(canvas, left + 4, top + kTitleHeight + 4, right - 4, bottom - 4, rng);
}

Canvas desktopFrame(int width, int height, uint32_t seed) {
  Canvas canvas(width, height);
  paintBackground(canvas, seed);
  std::mt19937 rng(seed);
  for (int i = 0; i < 6; ++i) {
    const int w = width / 4 + int(rng() % std::max(1, width / 3));
    const int h = height / 4 + int(rng() % std::max(1, height / 3));
    paintWindow(canvas, int(rng() % std::max(1, width - w)), int(rng() % std::max(1, height - h)),
                w, h, rng());
  }
  return canvas;
}

}  // namespace brevan::screensource
