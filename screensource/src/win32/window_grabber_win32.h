// The captured area of a window or of the whole desktop, grabbed with GDI, and the cursor over
// it.
#pragma once

#include <windows.h>

#include <memory>

#include "screen_access.h"

namespace brevan::screensource::win32 {

class WindowGrabber;

// A grabber for the whole desktop, or for one window (null: no window, a 0 x 0 area).
std::unique_ptr<WindowGrabber> makeDesktopGrabber();
std::unique_ptr<WindowGrabber> makeWindowGrabber(HWND window);
// The cursor source that goes with a grabber: it reads the cursor of the window under the
// pointer with the grabber's input attachment. The grabber must outlive it.
std::unique_ptr<CursorSource> makeWindowCursor(WindowGrabber& grabber);

}  // namespace brevan::screensource::win32
