#include "scripted_screen.h"

#include <algorithm>

namespace brevan::screensource {

FrameGrabber::FrameGrabber(int width, int height)
    : width_(width), height_(height), frame_(size_t(width) * height, 0) {}

const uint32_t* FrameGrabber::grab(int x, int y, int w, int h) {
  if (failing_ || w <= 0 || h <= 0) return nullptr;
  buffer_.resize(size_t(w) * h);
  // Only the part of the request inside the area is copied; the rest reads 0.
  const int left = std::clamp(x, 0, width_);
  const int right = std::clamp(x + w, left, width_);
  for (int row = 0; row < h; ++row) {
    uint32_t* to = &buffer_[size_t(row) * w];
    const int areaRow = y + h - 1 - row;  // the buffer is bottom-up
    if (areaRow < 0 || areaRow >= height_ || left == right) {
      std::fill(to, to + w, 0u);
      continue;
    }
    const uint32_t* from = &frame_[size_t(areaRow) * width_];
    std::fill(to, to + (left - x), 0u);
    std::copy(from + left, from + right, to + (left - x));
    std::fill(to + (right - x), to + w, 0u);
  }
  return buffer_.data();
}

bool ScriptedCursor::readShape(CursorHandle handle, CursorShape& shape) {
  const auto found = shapes_.find(handle);
  if (found == shapes_.end()) return false;
  shape = found->second;
  return true;
}

}  // namespace brevan::screensource
