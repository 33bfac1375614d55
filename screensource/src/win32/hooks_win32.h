// The six global window hooks, the shared section they read, and the hidden receiver window that
// turns their reports into events of one update source.
#pragma once

#include "update_source.h"

namespace brevan::screensource::win32 {

// Starts the receiver window on its own thread, then installs the hooks. Reports go to the
// target's queue, rectangles taken relative to its area's origin; with no target they are
// received and dropped. An earlier installation is uninstalled first. Always true (a hook that
// fails to install is reported on stdout).
bool installHooks(UpdateSource* target);
// Unhooks, ends the receiver thread and forgets the target. Nothing when not installed.
void uninstallHooks();
// Uninstalls only when the hooks were installed for `source` (closing a source leaves the
// hooks of another one alone); true when it did.
bool uninstallHooksFor(const UpdateSource* source);
// The source the hooks were installed for, or null.
UpdateSource* hookTarget();

}  // namespace brevan::screensource::win32
