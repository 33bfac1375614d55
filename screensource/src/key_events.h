// Virtual keys as the injector sends them: which keys exist, and the key event flags of a press
// or release.
#pragma once

#include <cstdint>

namespace brevan::screensource {

constexpr uint32_t kKeyEventExtended = 0x1;
constexpr uint32_t kKeyEventKeyUp = 0x2;

constexpr uint8_t kVirtualKeyControl = 0x11;
constexpr uint8_t kVirtualKeyAlt = 0x12;
constexpr uint8_t kVirtualKeyDelete = 0x2E;

// Virtual keys are 1-254; anything else would be truncated to some other key.
bool isVirtualKey(int virtualKey);

// Keys that sit on the extended part of a standard keyboard. Marking any other key extended
// changes its meaning (left Alt becomes AltGr, Enter becomes keypad Enter).
bool isExtendedKey(uint8_t virtualKey);

uint32_t keyEventFlags(uint8_t virtualKey, bool down);

}  // namespace brevan::screensource
