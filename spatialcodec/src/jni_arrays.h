// Pinned Java arrays held for the length of one native call. Release mode is
// always 0 (copy back and free), the mode the exports are defined with.
#pragma once

#include <jni.h>

#include <cstddef>
#include <cstdint>

namespace spatial::jni {

template <typename Array, typename Element, Element* (JNIEnv::*Get)(Array, jboolean*),
          void (JNIEnv::*Release)(Array, Element*, jint)>
class PinnedElements {
 public:
  PinnedElements(JNIEnv* env, Array array) : env_(env), array_(array) {
    if (array_ != nullptr) {
      length_ = size_t(env_->GetArrayLength(array_));
      elements_ = (env_->*Get)(array_, nullptr);
    }
  }
  ~PinnedElements() { release(); }

  void release() {
    if (elements_ != nullptr) (env_->*Release)(array_, elements_, 0);
    elements_ = nullptr;
  }
  PinnedElements(const PinnedElements&) = delete;
  PinnedElements& operator=(const PinnedElements&) = delete;

  explicit operator bool() const { return elements_ != nullptr; }
  size_t length() const { return length_; }
  Element* get() const { return elements_; }

 private:
  JNIEnv* env_;
  Array array_;
  Element* elements_ = nullptr;
  size_t length_ = 0;
};

using PinnedBytes = PinnedElements<jbyteArray, jbyte, &JNIEnv::GetByteArrayElements,
                                   &JNIEnv::ReleaseByteArrayElements>;
using PinnedInts = PinnedElements<jintArray, jint, &JNIEnv::GetIntArrayElements,
                                  &JNIEnv::ReleaseIntArrayElements>;

inline size_t arrayLength(JNIEnv* env, jarray array) {
  return array == nullptr ? 0 : size_t(env->GetArrayLength(array));
}

// A critical region: no other JNI call may come while it is held, so the
// length is asked for beforehand.
class CriticalArray {
 public:
  CriticalArray(JNIEnv* env, jarray array, size_t length)
      : env_(env), array_(array), length_(length) {
    if (array_ != nullptr) data_ = env_->GetPrimitiveArrayCritical(array_, nullptr);
  }
  ~CriticalArray() {
    if (data_ != nullptr) env_->ReleasePrimitiveArrayCritical(array_, data_, 0);
  }
  CriticalArray(const CriticalArray&) = delete;
  CriticalArray& operator=(const CriticalArray&) = delete;

  explicit operator bool() const { return data_ != nullptr; }
  size_t length() const { return length_; }
  template <typename T>
  T* as() const {
    return static_cast<T*>(data_);
  }

 private:
  JNIEnv* env_;
  jarray array_;
  size_t length_;
  void* data_ = nullptr;
};

}  // namespace spatial::jni
