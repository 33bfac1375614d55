// Three desktop settings a remote session changes and puts back: full-window dragging, the
// wallpaper and the keyboard repeat delay. Each has a save, a set and a restore; the saved value
// lives in the library between the calls. Results are those of SystemParametersInfo (nonzero on
// success).
#pragma once

namespace brevan::screensource::win32 {

int saveDragFullWindows();
int setDragFullWindows();
int restoreDragFullWindows();
int saveWallpaper();
int setNoWallpaper();
int restoreWallpaper();
int saveKeyDelay();
int setKeyDelay();
int restoreKeyDelay();

}  // namespace brevan::screensource::win32
