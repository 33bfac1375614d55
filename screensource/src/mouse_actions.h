// The viewer's mouse action codes and the mouse event each one becomes.
#pragma once

#include <cstdint>

namespace brevan::screensource {

enum class MouseButton { kNone, kLeft, kMiddle, kRight };

struct MouseAction {
  bool movesCursor = true;  // the cursor goes to the request's position first
  uint32_t flags = 0;       // mouse event flags; 0: no event, a move only
  int32_t wheelData = 0;
  MouseButton button = MouseButton::kNone;
  bool release = false;  // the event lets the button go
};

constexpr int kMouseWheelAction = 135;

// Unknown codes move the cursor only. For the wheel, x counts notches toward the user.
MouseAction mouseActionFor(int code, int x);

}  // namespace brevan::screensource
