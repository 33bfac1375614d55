// A small scripted desktop scene for the demo: two windows on a thread of their own, one moving
// along a path, the other repainting a growing bar, while the cursor wanders. Each step is
// reported as the window hooks would report it.
#pragma once

#include <windows.h>

#include <functional>

namespace brevan::screensource::demo {

struct Rect {
  int left, top, right, bottom;
};

// Runs `steps` steps, `stepMs` apart, on a new GUI thread, and returns when they are done. Every
// changed screen rectangle goes to `report` (called on the scene's thread).
void playScene(int steps, int stepMs, const std::function<void(const Rect&)>& report);

}  // namespace brevan::screensource::demo
