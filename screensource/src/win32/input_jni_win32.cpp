// JNI exports of zemtra.nativeCode.WindowSourceNative for the viewer's input: key strokes and
// mouse actions go to the injector's worker; toggle states are read and set on the calling
// thread.
#include "export_guard.h"
#include "jni_export.h"
#include "win32/input_threads_win32.h"

namespace screen = brevan::screensource::win32;
using brevan::jni::guarded;

BREVAN_JNI(void)
Java_zemtra_nativeCode_WindowSourceNative_simulateKeyStroke(JNIEnv*, jclass, jint virtualKey,
                                                            jboolean down, jint) {
  guarded([&] {
    if (auto* injector = screen::startedInputInjector()) injector->postKey(virtualKey, down);
  });
}

BREVAN_JNI(void)
Java_zemtra_nativeCode_WindowSourceNative_simulateMouseAction(JNIEnv*, jclass, jint action, jint x,
                                                              jint y, jint) {
  guarded([&] {
    if (auto* injector = screen::startedInputInjector()) injector->postMouse(action, x, y);
  });
}

BREVAN_JNI(jboolean) Java_zemtra_nativeCode_WindowSourceNative_simulateCtlAltDel(JNIEnv*, jclass) {
  return guarded<jboolean>(JNI_FALSE, [] {
    auto* injector = screen::startedInputInjector();
    return injector && injector->postCtrlAltDel() ? JNI_TRUE : JNI_FALSE;
  });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_WindowSourceNative_getKeyToggleState(JNIEnv*, jclass, jint virtualKey) {
  return guarded<jint>(0, [&] {
    auto* injector = screen::startedInputInjector();
    return injector ? jint(injector->keyToggleState(virtualKey)) : jint(0);
  });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_WindowSourceNative_setKeyToggleState(JNIEnv*, jclass, jint virtualKey,
                                                            jboolean on) {
  return guarded<jint>(0, [&] {
    auto* injector = screen::startedInputInjector();
    return injector ? jint(injector->setKeyToggleState(virtualKey, on)) : jint(0);
  });
}
