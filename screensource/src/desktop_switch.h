// Moving the calling thread to another desktop, so that what it injects reaches the desktop
// the user sees (the logon and secure desktops included).
#pragma once

#include "input_backend.h"

namespace brevan::screensource {

// Moves the thread to the named desktop, or to the input desktop for null; false when the
// desktop cannot be opened or selected, and the thread stays where it was. After a move, Alt
// and Ctrl are released so that no modifier stays down on the new desktop.
bool switchThreadDesktop(InputBackend& backend, const char* name);

}  // namespace brevan::screensource
