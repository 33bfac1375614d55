// ScreenSource.dll as the JVM holds it, for the tests that call it through the test JNI host.
#pragma once

#include <string>

#include "jnitest/fake_jvm.h"
#include "jnitest/library.h"

namespace brevan::screensource::test {

// Loaded once and kept, as the JVM does: the library's threads outlive the calls.
inline brevan::jnitest::Library& screenLibrary() {
  static auto* library = new brevan::jnitest::Library("ScreenSource");
  return *library;
}

// A native method of WindowSourceNative by name.
template <class Function>
Function screenMethod(const char* name) {
  return screenLibrary().nativeMethod<Function>("WindowSourceNative", name);
}

// The calling thread's env: a packet thread inside its notification is attached already, and
// attaching again hands its env back.
inline JNIEnv* attachedEnv(brevan::jnitest::FakeJvm& jvm) {
  void* env = nullptr;
  return jvm.vm()->AttachCurrentThread(&env, nullptr) == JNI_OK ? static_cast<JNIEnv*>(env)
                                                                : nullptr;
}

}  // namespace brevan::screensource::test
