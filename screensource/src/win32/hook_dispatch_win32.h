// What a hooked message reports. Runs on arbitrary threads of arbitrary processes: it reads the
// shared block, reads and sets one window property and posts messages, and never blocks.
#pragma once

#include <windows.h>

namespace brevan::screensource::win32 {

// Sent to a popup menu window when its selection changes.
constexpr UINT kPopupSelectionMessage = 0x01E5;

void dispatchHookedMessage(UINT message, HWND window, WPARAM wParam, LPARAM lParam);

}  // namespace brevan::screensource::win32
