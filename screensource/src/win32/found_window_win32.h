// The window found by the last completed title search or interactive pick: one value for the
// module, set by searches on Java threads and by picks on their timer's thread.
#pragma once

#include <windows.h>

namespace brevan::screensource::win32 {

HWND foundWindow();
void setFoundWindow(HWND window);

}  // namespace brevan::screensource::win32
