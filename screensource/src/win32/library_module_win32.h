// What the library learns when it is loaded into a process: its own module (the hooks and the
// receiver's window class belong to it) and the popup-selection atom.
#pragma once

#include <windows.h>

namespace brevan::screensource::win32 {

HMODULE libraryModule();
ATOM popupSelectionAtom();

}  // namespace brevan::screensource::win32
