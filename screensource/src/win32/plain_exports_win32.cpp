// The library's plain (non-JNI) exports: the host probe, the hook switch of native callers, and
// the desktop selection and close of slot 0 without Java.
#include <cstdint>

#include "export_guard.h"
#include "jni_export.h"
#include "win32/hooks_win32.h"
#include "win32/screen_sources_win32.h"

namespace screen = brevan::screensource::win32;
using brevan::jni::guarded;

BREVAN_RNI_VERSION()

extern "C" __declspec(dllexport) int installhook2() {
  return guarded<int>(1, [] {
    screen::installHooks(nullptr);
    return 1;
  });
}

extern "C" __declspec(dllexport) int uninstallhook2() {
  return guarded<int>(1, [] {
    screen::uninstallHooks();
    return 1;
  });
}

extern "C" __declspec(dllexport) int closeWindow() {
  return guarded<int>(0, [] { return screen::closeSource(0); });
}

// Makes the whole-desktop source without touching Java, and gives its slot or -1.
extern "C" __declspec(dllexport) int getDesktopWindow() {
  return guarded<int>(-1, [] { return screen::createSource(screen::makeDesktopGrabber()); });
}
