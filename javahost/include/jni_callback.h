// Calls from a library's own threads back into static Java methods.
//
// A Java call hands its JNIEnv to rememberJavaVm(); a native thread later wraps each callback in
// a ThreadAttachment and calls callStaticVoid() with the attachment's env. Class and method are
// looked up at every call, so a callback never holds references across attachments.
#pragma once

#include <jni.h>

#include <atomic>
#include <cstdarg>

namespace brevan::jni {

namespace detail {
// One per library: every JNI library compiles its own copy of this header.
inline std::atomic<JavaVM*> rememberedVm{nullptr};
}  // namespace detail

// Keeps the JavaVM of the calling Java thread; returns false if the host would not give it.
inline bool rememberJavaVm(JNIEnv* env) {
  JavaVM* vm = nullptr;
  if (env == nullptr || env->GetJavaVM(&vm) != JNI_OK || vm == nullptr) return false;
  detail::rememberedVm.store(vm);
  return true;
}

inline JavaVM* rememberedJavaVm() { return detail::rememberedVm.load(); }

// Attaches a native thread for the lifetime of the object. Only for threads the library started:
// detaching a Java thread would be an error in the host.
class ThreadAttachment {
 public:
  ThreadAttachment() : vm_(rememberedJavaVm()) {
    void* env = nullptr;
    if (vm_ != nullptr && vm_->AttachCurrentThread(&env, nullptr) == JNI_OK) {
      env_ = static_cast<JNIEnv*>(env);
    }
  }
  ~ThreadAttachment() {
    if (env_ != nullptr) vm_->DetachCurrentThread();
  }
  ThreadAttachment(const ThreadAttachment&) = delete;
  ThreadAttachment& operator=(const ThreadAttachment&) = delete;

  // Null when no VM was remembered or the attach failed.
  JNIEnv* env() const { return env_; }

 private:
  JavaVM* vm_;
  JNIEnv* env_ = nullptr;
};

// Calls a static void method: FindClass and GetStaticMethodID at each call, then
// CallStaticVoidMethodV. Returns false if the class or method was not found (the lookup's
// exception is then pending in env) or env is null.
inline bool callStaticVoid(JNIEnv* env, const char* className, const char* method,
                           const char* signature, ...) {
  if (env == nullptr) return false;
  jclass cls = env->FindClass(className);
  if (cls == nullptr) return false;
  jmethodID id = env->GetStaticMethodID(cls, method, signature);
  if (id != nullptr) {
    va_list args;
    va_start(args, signature);
    env->CallStaticVoidMethodV(cls, id, args);
    va_end(args);
  }
  env->DeleteLocalRef(cls);
  return id != nullptr;
}

}  // namespace brevan::jni
