// The native methods of zemtra.nativeCode.ZemtraCaptureWindow.
#include <windows.h>

#include <string>

#include "export_guard.h"
#include "jni_arrays.h"
#include "jni_export.h"
#include "jni_strings.h"
#include "win32/capture_api_win32.h"
#include "win32/capture_object_win32.h"

namespace {

namespace cam = brevan::camcapture;
namespace win32 = brevan::camcapture::win32;
using brevan::jni::guarded;
using brevan::jni::PinnedBytes;
using brevan::jni::PinnedInts;
using brevan::jni::ReleaseMode;

constexpr int kMaxDrivers = 10;

// The array pinned for the grab and released with mode 0; its length goes with the request.
template <class Grab>
jboolean withInts(JNIEnv* env, jintArray array, Grab&& grab) {
  PinnedInts pinned(env, array, ReleaseMode::copyBackAndFree);
  return grab(win32::GrabTarget{cam::FrameKind::colour, pinned.data(), pinned.size() * sizeof(jint)})
             ? JNI_TRUE : JNI_FALSE;
}
template <class Grab>
jboolean withBytes(JNIEnv* env, jbyteArray array, cam::FrameKind kind, Grab&& grab) {
  PinnedBytes pinned(env, array, ReleaseMode::copyBackAndFree);
  return grab(win32::GrabTarget{kind, pinned.data(), pinned.size()}) ? JNI_TRUE : JNI_FALSE;
}

auto current() {
  return [](const win32::GrabTarget& target) { return win32::grabCurrent(target); };
}
auto sized(jint width, jint height) {
  return [=](const win32::GrabTarget& target) { return win32::grabSized(target, width, height); };
}

// Driver names are in the system's ANSI code page; Java gets their characters.
jstring ansiToJava(JNIEnv* env, const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(size_t(length > 0 ? length : 1), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
  wide.resize(wcslen(wide.c_str()));
  return brevan::jni::javaString(env, std::u16string(wide.begin(), wide.end()));
}

}  // namespace

BREVAN_RNI_VERSION()

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_ZemtraCaptureWindow_ZemtraCaptureWindowNative(JNIEnv*, jobject, jint driver,
                                                                      jint width, jint height,
                                                                      jboolean show) {
  return guarded<jboolean>(JNI_FALSE, [&] {
    return win32::constructCapture(driver, width, height, show != JNI_FALSE) ? JNI_TRUE : JNI_FALSE;
  });
}

BREVAN_JNI(jint) Java_zemtra_nativeCode_ZemtraCaptureWindow_getDriverListCount(JNIEnv*, jobject) {
  return guarded<jint>(0, [] {
    char name[256];
    jint count = 0;
    while (count < kMaxDrivers && win32::driverDescription(count, name)) ++count;
    return count;
  });
}

BREVAN_JNI(jstring)
Java_zemtra_nativeCode_ZemtraCaptureWindow_getDriverName(JNIEnv* env, jobject, jint driver) {
  return guarded<jstring>(nullptr, [&] {
    char name[256];
    win32::driverDescription(driver, name);
    return ansiToJava(env, name);
  });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_ZemtraCaptureWindow_captureColorData(JNIEnv* env, jobject, jintArray data) {
  return guarded<jboolean>(JNI_FALSE, [&] { return withInts(env, data, current()); });
}
BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_ZemtraCaptureWindow_captureBWData(JNIEnv* env, jobject, jbyteArray data) {
  return guarded<jboolean>(JNI_FALSE,
                           [&] { return withBytes(env, data, cam::FrameKind::blackWhite, current()); });
}
BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_ZemtraCaptureWindow_captureYUVData(JNIEnv* env, jobject, jbyteArray data) {
  return guarded<jboolean>(JNI_FALSE,
                           [&] { return withBytes(env, data, cam::FrameKind::yuv, current()); });
}
BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_ZemtraCaptureWindow_captureYUV22Data(JNIEnv* env, jobject, jbyteArray data) {
  return guarded<jboolean>(JNI_FALSE,
                           [&] { return withBytes(env, data, cam::FrameKind::yuv22, current()); });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_ZemtraCaptureWindow_captureSizedColorData(JNIEnv* env, jobject,
                                                                 jintArray data, jint width,
                                                                 jint height) {
  return guarded<jboolean>(JNI_FALSE, [&] { return withInts(env, data, sized(width, height)); });
}
BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_ZemtraCaptureWindow_captureSizedBWData(JNIEnv* env, jobject,
                                                              jbyteArray data, jint width,
                                                              jint height) {
  return guarded<jboolean>(JNI_FALSE, [&] {
    return withBytes(env, data, cam::FrameKind::blackWhite, sized(width, height));
  });
}
BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_ZemtraCaptureWindow_captureSizedYUVData(JNIEnv* env, jobject,
                                                               jbyteArray data, jint width,
                                                               jint height) {
  return guarded<jboolean>(JNI_FALSE, [&] {
    return withBytes(env, data, cam::FrameKind::yuv, sized(width, height));
  });
}
BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_ZemtraCaptureWindow_captureSizedYUV22Data(JNIEnv* env, jobject,
                                                                 jbyteArray data, jint width,
                                                                 jint height) {
  return guarded<jboolean>(JNI_FALSE, [&] {
    return withBytes(env, data, cam::FrameKind::yuv22, sized(width, height));
  });
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_ZemtraCaptureWindow_resize(JNIEnv*, jobject, jint width, jint height,
                                                  jboolean resizeWindow) {
  return guarded<jboolean>(JNI_FALSE, [&] {
    return win32::resizeCapture(width, height, resizeWindow != JNI_FALSE) ? JNI_TRUE : JNI_FALSE;
  });
}

BREVAN_JNI(void)
Java_zemtra_nativeCode_ZemtraCaptureWindow_showWindow(JNIEnv*, jobject, jboolean show) {
  guarded([&] { win32::showCaptureWindow(show != JNI_FALSE); });
}

BREVAN_JNI(jint)
Java_zemtra_nativeCode_ZemtraCaptureWindow_disconnectCaptureWindow(JNIEnv*, jobject) {
  return guarded<jint>(0, [] { return jint(win32::disconnectCapture()); });
}

BREVAN_JNI(void) Java_zemtra_nativeCode_ZemtraCaptureWindow_closeWindow(JNIEnv*, jobject) {
  guarded([] { win32::closeCapture(); });
}
