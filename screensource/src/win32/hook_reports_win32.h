// The reports a hooked message can give rise to, each posted to the receiver window.
#pragma once

#include <windows.h>

#include "win32/hook_shared_data_win32.h"

namespace brevan::screensource::win32 {

// The window's screen rectangle as a rectangle message.
void reportWindowRectangle(HWND window);
// A window message (all, client or nonclient) naming the window.
void reportWindow(ReportMessage message, HWND window);
// One rectangle message per rectangle of the window's update region, in screen coordinates.
void reportUpdateRegion(HWND window);
// The cursor position, at most once per 100 ms across all processes and only below 10000.
void reportCursor();
// The whole popup menu window, when its selection differs from the one last seen.
void reportPopupSelection(HWND window, WPARAM selection);

}  // namespace brevan::screensource::win32
