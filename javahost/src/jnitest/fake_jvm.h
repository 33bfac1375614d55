// A JNI host for tests: a JNIEnv and a JavaVM over simple Java-like strings, arrays and
// registered static methods, so a library's exports can be called without a JVM (under Wine in
// particular). The tables implement the JNI functions the libraries use:
//   FindClass, GetStaticMethodID, CallStaticVoidMethod(V), NewString, NewStringUTF,
//   DeleteLocalRef, DeleteGlobalRef, Get/ReleaseStringUTFChars, Get/ReleaseStringChars,
//   GetStringLength, GetStringRegion, ExceptionOccurred, Get/ReleasePrimitiveArrayCritical,
//   Get/ReleaseByteArrayElements, Get/ReleaseIntArrayElements, GetJavaVM, GetArrayLength,
//   GetObjectArrayElement, and AttachCurrentThread/DetachCurrentThread of the JavaVM.
// Any other entry fails with "unlisted JNI function called: <Name>" (see failure.h). Misuse
// fails the same way: a stale reference, an env used on the wrong thread or before attaching,
// a JNI call inside a critical region, a release of a buffer that was not handed out.
//
// Like the JVM, Get<Type>ArrayElements and the string functions hand out copies, while
// GetPrimitiveArrayCritical hands out the array itself.
#pragma once

#include "jnitest/failure.h"

#include <jni.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brevan::jnitest {

using StaticMethod = std::function<void(const std::vector<jvalue>& args)>;

class FakeJvm {
 public:
  // The creating thread is a Java thread: it uses env() without attaching.
  FakeJvm();
  ~FakeJvm();
  FakeJvm(const FakeJvm&) = delete;
  FakeJvm& operator=(const FakeJvm&) = delete;

  JNIEnv* env();
  JavaVM* vm();
  // Lets the calling thread use env() as a further Java thread.
  void adoptCurrentThread();

  jstring newString(const std::u16string& text);
  jstring newStringUtf(const std::string& modifiedUtf8);
  std::u16string stringValue(jstring string) const;
  jbyteArray newByteArray(std::vector<std::uint8_t> bytes);
  std::vector<std::uint8_t>& bytes(jbyteArray array);
  jintArray newIntArray(std::vector<jint> ints);
  std::vector<jint>& ints(jintArray array);
  jobjectArray newObjectArray(const std::vector<jobject>& elements);

  // className in class path form ("zemtra/nativeCode/HostUtil"); signature must return void.
  void registerStaticMethod(const std::string& className, const std::string& name,
                            const std::string& signature, StaticMethod method);
  // Calls of the method with any signature.
  int calls(const std::string& className, const std::string& name) const;

  // The exception left pending on the calling thread's env (a failed lookup or GetStringRegion
  // out of bounds), as its class name, or "" if none.
  std::string pendingException() const;
  void clearPendingException();

  int attaches() const;
  int detaches() const;
  int attachedThreads() const;
  // Buffers handed out and not yet released: a library that forgets a Release leaves them.
  std::size_t pinnedBuffers() const;
  std::size_t deletedRefs() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace brevan::jnitest
