#include "mouse_actions.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace brevan::screensource {
namespace {

// Mouse event flags; every button event also carries the (zero) move.
constexpr uint32_t kMove = 0x1;
constexpr uint32_t kLeftDown = 0x2;
constexpr uint32_t kLeftUp = 0x4;
constexpr uint32_t kRightDown = 0x8;
constexpr uint32_t kRightUp = 0x10;
constexpr uint32_t kMiddleDown = 0x20;
constexpr uint32_t kMiddleUp = 0x40;
constexpr uint32_t kWheel = 0x800;
constexpr int32_t kWheelDelta = 120;  // one notch

constexpr int kFirstButtonAction = 128;
// Codes 128-134 in order; 131 is the plain move.
const MouseAction kButtonActions[] = {
    {true, kMove | kLeftDown, 0, MouseButton::kLeft, false},
    {true, kMove | kMiddleDown, 0, MouseButton::kMiddle, false},
    {true, kMove | kRightDown, 0, MouseButton::kRight, false},
    {true, 0, 0, MouseButton::kNone, false},
    {true, kMove | kLeftUp, 0, MouseButton::kLeft, true},
    {true, kMove | kMiddleUp, 0, MouseButton::kMiddle, true},
    {true, kMove | kRightUp, 0, MouseButton::kRight, true},
};

MouseAction wheelAction(int notches) {
  // Clamped so that the product stays a 32-bit number.
  constexpr int kMostNotches = std::numeric_limits<int32_t>::max() / kWheelDelta;
  MouseAction action;
  action.movesCursor = false;
  action.flags = kMove | kWheel;
  action.wheelData = -kWheelDelta * std::clamp(notches, -kMostNotches, kMostNotches);
  return action;
}

}  // namespace

MouseAction mouseActionFor(int code, int x) {
  if (code == kMouseWheelAction) return wheelAction(x);
  const int index = code - kFirstButtonAction;
  if (index >= 0 && index < static_cast<int>(std::size(kButtonActions))) {
    return kButtonActions[index];
  }
  return MouseAction{};
}

}  // namespace brevan::screensource
