// The two ways the screen source reaches the screen: a grabber for the captured area's pixels
// and a cursor source for the pointer. Windows implements them with GDI; tools and tests with
// recorded frames.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tile_grid.h"

namespace brevan::screensource {

class Grabber {
 public:
  virtual ~Grabber() = default;
  // The captured area as it is now (screen pixels); the source compares it with the area it
  // was built for to notice a window that moved or changed size.
  virtual Area currentArea() = 0;
  // Grab w x h pixels at (x, y) of the area: bottom row first, w words a row. Pixels outside the
  // area read as 0. The buffer stays valid until the next grab; null when the grab failed.
  virtual const uint32_t* grab(int x, int y, int w, int h) = 0;
};

using CursorHandle = uint64_t;
constexpr CursorHandle kNoCursor = 0;

struct CursorShape {
  int width = 0;
  int height = 0;
  int hotspotX = 0;
  int hotspotY = 0;
  std::vector<uint32_t> pixels;  // top row first, drawn on the key colour
};

struct CursorPosition {
  int x = -1;
  int y = -1;
  bool operator==(const CursorPosition& o) const { return x == o.x && y == o.y; }
  bool operator!=(const CursorPosition& o) const { return !(*this == o); }
};

class CursorSource {
 public:
  virtual ~CursorSource() = default;
  virtual CursorPosition position() = 0;
  // The cursor of the window under the pointer (or with the capture); kNoCursor when it cannot
  // be found.
  virtual CursorHandle currentHandle() = 0;
  virtual CursorHandle arrowHandle() = 0;
  // False when the handle's icon information cannot be read.
  virtual bool readShape(CursorHandle handle, CursorShape& shape) = 0;
  // The local user moved the mouse lately, so the viewer's input is held back.
  virtual bool localActivity() { return false; }
};

}  // namespace brevan::screensource
