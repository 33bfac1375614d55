// A JNI library that exists only to prove the boundary: a plain native method, and a static
// callback into Java from a thread of the library's own that attaches and detaches.
#include "jni_callback.h"
#include "jni_export.h"

#include <string>
#include <thread>

namespace {

constexpr const char* kProbeClass = "zemtra/nativeCode/JniProbe";

// Same shape as the host's message callback: a 64-bit id and a text.
bool callBackFromOwnThread(jlong id, const std::u16string& text, jint times) {
  bool delivered = true;
  std::thread worker([&] {
    for (jint i = 0; i < times && delivered; ++i) {
      brevan::jni::ThreadAttachment attachment;
      JNIEnv* env = attachment.env();
      if (env == nullptr) {
        delivered = false;
        break;
      }
      jstring message = env->NewString(reinterpret_cast<const jchar*>(text.data()),
                                       static_cast<jsize>(text.size()));
      delivered = brevan::jni::callStaticVoid(env, kProbeClass, "probeCallback",
                                              "(JLjava/lang/String;)V", id + i, message);
      env->DeleteLocalRef(message);
    }
  });
  worker.join();
  return delivered;
}

}  // namespace

BREVAN_RNI_VERSION()

BREVAN_JNI(jint) Java_zemtra_nativeCode_JniProbe_add(JNIEnv*, jclass, jint a, jint b) {
  return a + b;
}

BREVAN_JNI(jboolean)
Java_zemtra_nativeCode_JniProbe_callBackFromThread(JNIEnv* env, jclass, jlong id, jstring text,
                                                   jint times) {
  try {
    if (text == nullptr || !brevan::jni::rememberJavaVm(env)) return JNI_FALSE;
    const jchar* chars = env->GetStringChars(text, nullptr);
    if (chars == nullptr) return JNI_FALSE;
    std::u16string copy(reinterpret_cast<const char16_t*>(chars), env->GetStringLength(text));
    env->ReleaseStringChars(text, chars);
    return callBackFromOwnThread(id, copy, times) ? JNI_TRUE : JNI_FALSE;
  } catch (...) {
    return JNI_FALSE;
  }
}
