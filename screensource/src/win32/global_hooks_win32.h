// The six system-wide hooks whose procedures live in the library, so the system loads it into
// every GUI process of the desktop.
#pragma once

#include <windows.h>

namespace brevan::screensource::win32 {

// Installs the six hooks with the procedures of `module`; a hook that fails is reported on
// stdout and the others stay.
void setGlobalHooks(HMODULE module);
// Unhooks whatever is installed.
void removeGlobalHooks();

}  // namespace brevan::screensource::win32
