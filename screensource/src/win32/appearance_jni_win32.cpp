// JNI exports of zemtra.nativeCode.WindowSourceNative for the desktop appearance a session
// changes: save, set and restore of full-window dragging, wallpaper and keyboard delay.
#include "export_guard.h"
#include "jni_export.h"
#include "win32/desktop_appearance_win32.h"

namespace appearance = brevan::screensource::win32;
using brevan::jni::guarded;

#define BREVAN_APPEARANCE_METHOD(method, call)                                           \
  BREVAN_JNI(jint) Java_zemtra_nativeCode_WindowSourceNative_##method(JNIEnv*, jclass) { \
    return guarded<jint>(0, [] { return jint(appearance::call()); });                    \
  }

BREVAN_APPEARANCE_METHOD(saveStateOfDragFullWindows, saveDragFullWindows)
BREVAN_APPEARANCE_METHOD(setStateOfDragFullWindows, setDragFullWindows)
BREVAN_APPEARANCE_METHOD(restoreStateOfDragFullWindows, restoreDragFullWindows)
BREVAN_APPEARANCE_METHOD(saveStateOfWallpaper, saveWallpaper)
BREVAN_APPEARANCE_METHOD(setStateOfNoWallpaper, setNoWallpaper)
BREVAN_APPEARANCE_METHOD(restoreStateOfWallpaper, restoreWallpaper)
BREVAN_APPEARANCE_METHOD(saveStateOfKeyDelay, saveKeyDelay)
BREVAN_APPEARANCE_METHOD(setStateOfKeyDelay, setKeyDelay)
BREVAN_APPEARANCE_METHOD(restoreStateOfKeyDelay, restoreKeyDelay)
