#include "scripted_screen.h"

#include <algorithm>

namespace brevan::screensource {

FrameGrabber::FrameGrabber(int width, int height)
    : width_(width), height_(height), frame_(size_t(width) * height, 0) {}

const uint32_t* FrameGrabber::grab(int x, int y, int w, int h) {
  if (failing_ || w <= 0 || h <= 0) return nullptr;
  buffer_.assign(size_t(w) * h, 0);
  // Only the part of the request inside the area is copied; the rest stays 0.
  const int left = std::max(x, 0);
  const int right = std::min(x + w, width_);
  for (int row = 0; row < h && left < right; ++row) {
    const int areaRow = y + h - 1 - row;  // the buffer is bottom-up
    if (areaRow < 0 || areaRow >= height_) continue;
    const uint32_t* from = &frame_[size_t(areaRow) * width_ + left];
    std::copy(from, from + (right - left), &buffer_[size_t(row) * w + (left - x)]);
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
