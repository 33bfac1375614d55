// Finding the first window whose title matches: each top-level window in the system's order,
// and the descendants of one that does not match before the next.
#pragma once

#include <windows.h>

#include "toggle_request.h"

namespace brevan::wintoggle {

// Null when no window matches.
HWND findFirstMatchingWindow(const ToggleRequest& request);

}  // namespace brevan::wintoggle
