// A screen held in memory for scene replay, tests and benchmarks: a frame that the grabber reads
// and a cursor whose every answer is set by hand.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "screen_access.h"

namespace brevan::screensource {

// A grabber over a frame held in memory (top row first, width x height of the area); pixels
// outside the area read as 0. Tests and tools change the frame between cycles.
class FrameGrabber : public Grabber {
 public:
  FrameGrabber(int width, int height);
  Area currentArea() override { return {0, 0, width_, height_}; }
  const uint32_t* grab(int x, int y, int w, int h) override;

  int width() const { return width_; }
  int height() const { return height_; }
  std::vector<uint32_t>& frame() { return frame_; }
  void setFailing(bool failing) { failing_ = failing; }

 private:
  int width_, height_;
  std::vector<uint32_t> frame_;
  std::vector<uint32_t> buffer_;
  bool failing_ = false;
};

// A cursor source whose position, handle, shapes and local-activity flag are set by hand.
class ScriptedCursor : public CursorSource {
 public:
  CursorPosition position() override {
    ++positionReads_;
    return position_;
  }
  CursorHandle currentHandle() override { return handle_; }
  CursorHandle arrowHandle() override { return arrow_; }
  bool readShape(CursorHandle handle, CursorShape& shape) override;
  bool localActivity() override { return local_; }

  void setPosition(int x, int y) { position_ = {x, y}; }
  void setHandle(CursorHandle handle) { handle_ = handle; }
  void setArrow(CursorHandle handle) { arrow_ = handle; }
  void setLocalActivity(bool local) { local_ = local; }
  // A readable shape; handles without one fail to read.
  void addShape(CursorHandle handle, CursorShape shape) { shapes_[handle] = std::move(shape); }
  void removeShape(CursorHandle handle) { shapes_.erase(handle); }
  bool hasShape(CursorHandle handle) const { return shapes_.count(handle) != 0; }
  int positionReads() const { return positionReads_; }

 private:
  CursorPosition position_{0, 0};
  CursorHandle handle_ = kNoCursor;
  CursorHandle arrow_ = 0x10003;
  bool local_ = false;
  int positionReads_ = 0;
  std::map<CursorHandle, CursorShape> shapes_;
};

}  // namespace brevan::screensource
