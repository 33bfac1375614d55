// What the input injector needs from the system: key and mouse injection, the cursor, the key
// state, the calling thread's desktop, a broadcast message, a clock and sleeping. Windows
// implements it with the user32 calls; the tests record the calls instead.
#pragma once

#include <cstdint>
#include <optional>

#include "screen_access.h"

namespace brevan::screensource {

// A desktop handle as the system gives it; kNoDesktop is a failed open.
using DesktopHandle = std::uintptr_t;
constexpr DesktopHandle kNoDesktop = 0;

class InputBackend {
 public:
  virtual ~InputBackend() = default;

  // One key event (scan code 0); flags are the key event flags (extended 1, key-up 2).
  virtual void injectKey(uint8_t virtualKey, uint32_t flags) = 0;
  // One mouse event with relative motion 0, 0; wheelData only counts with the wheel flag.
  virtual void injectMouse(uint32_t flags, int32_t wheelData) = 0;
  // The system may clip the position to the screen.
  virtual void setCursorPosition(CursorPosition position) = 0;
  // Empty when the position cannot be read (another desktop, no access).
  virtual std::optional<CursorPosition> cursorPosition() = 0;
  // The key state the calling thread sees: bit 0 is the toggle, bit 15 the key being down.
  virtual uint16_t keyState(uint8_t virtualKey) = 0;

  // Milliseconds that only go forward.
  virtual uint64_t nowMs() = 0;
  virtual void sleepMs(unsigned ms) = 0;

  // Whether the calling thread's desktop is the one that receives input.
  virtual bool onInputDesktop() = 0;
  // The named desktop, or the input desktop for null; kNoDesktop when it cannot be opened.
  virtual DesktopHandle openDesktop(const char* name) = 0;
  virtual DesktopHandle threadDesktop() = 0;
  virtual bool setThreadDesktop(DesktopHandle desktop) = 0;
  virtual bool closeDesktop(DesktopHandle desktop) = 0;

  // Posts the message to every top-level window of the thread's desktop.
  virtual void broadcast(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  virtual void debugOutput(const char* text) = 0;
};

}  // namespace brevan::screensource
