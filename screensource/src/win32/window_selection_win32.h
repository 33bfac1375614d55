// Choosing what to capture: the window whose title begins with a text, the window at a point,
// or the window the local user picks by clicking.
#pragma once

#include <windows.h>

#include <string>

namespace brevan::screensource::win32 {

// Top-level windows first, then each one's descendants; titles compared in UTF-16,
// case-sensitive, as a prefix. An empty prefix matches the first window. Null when none.
HWND findNamedWindow(const std::wstring& prefix);
HWND locatedWindow(int x, int y);
// Starts an interactive pick on the calling thread (its timer fires while the thread
// dispatches messages) unless one is running, and returns the window found by the previous
// completed pick or search. The pick highlights the titled top-level window under the pointer
// and chooses it when the focus or the foreground window changes or the left button goes down;
// after kPickGiveUpMs it ends with nothing chosen.
HWND startPick();
bool pickRunning();
constexpr DWORD kPickGiveUpMs = 60000;

}  // namespace brevan::screensource::win32
