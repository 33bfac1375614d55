#include "key_events.h"

#include <algorithm>
#include <iterator>

namespace brevan::screensource {
namespace {

constexpr uint8_t kExtendedKeys[] = {
    0x03,                    // Break
    0x21, 0x22, 0x23, 0x24,  // Page Up, Page Down, End, Home
    0x25, 0x26, 0x27, 0x28,  // the arrows
    0x2C, 0x2D, 0x2E,        // Print Screen, Insert, Delete
    0x5B, 0x5C, 0x5D,        // left and right Windows, menu
    0x6F,                    // keypad Divide
    0x90,                    // Num Lock
    0xA3, 0xA5,              // right Ctrl, right Alt
};

}  // namespace

bool isVirtualKey(int virtualKey) { return virtualKey >= 1 && virtualKey <= 254; }

bool isExtendedKey(uint8_t virtualKey) {
  return std::find(std::begin(kExtendedKeys), std::end(kExtendedKeys), virtualKey) !=
         std::end(kExtendedKeys);
}

uint32_t keyEventFlags(uint8_t virtualKey, bool down) {
  return (isExtendedKey(virtualKey) ? kKeyEventExtended : 0) | (down ? 0 : kKeyEventKeyUp);
}

}  // namespace brevan::screensource
