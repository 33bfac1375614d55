// The input injector of the process and its two threads: the worker, which makes a pass every
// 20 ms, and the watchdog, which nudges the cursor when the worker stalls. Started at the first
// input call and kept for the life of the process.
#pragma once

#include "input_injector.h"

namespace brevan::screensource::win32 {

// The process's injector; its threads are started (once) before it is returned. Null when they
// could not be started.
InputInjector* startedInputInjector();
// The local user moved the mouse lately (false before the injector was ever started).
bool localInputActive();

}  // namespace brevan::screensource::win32
