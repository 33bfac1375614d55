// Java primitive arrays pinned for the length of a native call, in the two forms JNI offers:
//   PinnedBytes, PinnedInts  Get/Release<Type>ArrayElements: a copy in most JVMs, any JNI call
//                            may come while it is held;
//   PinnedCritical           Get/ReleasePrimitiveArrayCritical: usually the array itself, and no
//                            other JNI call may come while it is held.
// Each holder releases once, with the mode named where the array is pinned, when it is released
// or destroyed; commit() copies the changes back while the holder keeps the buffer (JNI_COMMIT).
// A null array, or one the host would not pin, gives no data and size 0.
#pragma once

#include <jni.h>

#include <cstddef>
#include <utility>

namespace brevan::jni {

// What the release does with the changes made through the pinned buffer.
enum class ReleaseMode : jint {
  copyBackAndFree = 0,  // the changes reach the Java array, then the buffer is freed
  abort = JNI_ABORT,    // the buffer is freed and the changes are dropped
};

// The length of an array in elements, 0 for a null array (GetArrayLength).
inline std::size_t arrayLength(JNIEnv* env, jarray array) {
  return array == nullptr ? 0 : std::size_t(env->GetArrayLength(array));
}

// What both forms share: the held buffer, one release with the named mode, and moves. Release
// is the JNI call that gives the buffer back.
template <typename Array, typename Element, void (*Release)(JNIEnv*, Array, Element*, jint)>
class PinnedArray {
 public:
  ~PinnedArray() { release(); }
  PinnedArray(PinnedArray&& other) noexcept
      : env_(other.env_),
        array_(other.array_),
        mode_(other.mode_),
        data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)) {}
  PinnedArray& operator=(PinnedArray&& other) noexcept {
    if (this != &other) {
      release();
      env_ = other.env_;
      array_ = other.array_;
      mode_ = other.mode_;
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  PinnedArray(const PinnedArray&) = delete;
  PinnedArray& operator=(const PinnedArray&) = delete;

  // Gives the buffer back with the holder's mode; afterwards the holder is empty.
  void release() {
    if (data_ != nullptr) Release(env_, array_, data_, jint(mode_));
    data_ = nullptr;
    size_ = 0;
  }
  // Gives the changes so far back with JNI_COMMIT; the holder keeps the buffer.
  void commit() {
    if (data_ != nullptr) Release(env_, array_, data_, JNI_COMMIT);
  }

  explicit operator bool() const { return data_ != nullptr; }
  std::size_t size() const { return size_; }  // elements

 protected:
  PinnedArray(JNIEnv* env, Array array, ReleaseMode mode)
      : env_(env), array_(array), mode_(mode) {}
  void hold(Element* data, std::size_t size) {
    data_ = data;
    size_ = data != nullptr ? size : 0;
  }
  Element* held() const { return data_; }

 private:
  JNIEnv* env_;
  Array array_;
  ReleaseMode mode_;
  Element* data_ = nullptr;
  std::size_t size_ = 0;
};

template <typename Array, typename Element, void (JNIEnv::*Release)(Array, Element*, jint)>
void releaseElements(JNIEnv* env, Array array, Element* data, jint mode) {
  (env->*Release)(array, data, mode);
}

inline void releaseCritical(JNIEnv* env, jarray array, void* data, jint mode) {
  env->ReleasePrimitiveArrayCritical(array, data, mode);
}

template <typename Array, typename Element, Element* (JNIEnv::*Get)(Array, jboolean*),
          void (JNIEnv::*Release)(Array, Element*, jint)>
class PinnedElements
    : public PinnedArray<Array, Element, &releaseElements<Array, Element, Release>> {
 public:
  // GetArrayLength, then Get<Type>ArrayElements.
  PinnedElements(JNIEnv* env, Array array, ReleaseMode mode)
      : PinnedArray<Array, Element, &releaseElements<Array, Element, Release>>(env, array, mode) {
    if (array == nullptr) return;
    const jsize length = env->GetArrayLength(array);
    this->hold((env->*Get)(array, nullptr), length > 0 ? std::size_t(length) : 0);
  }

  Element* data() const { return this->held(); }
  template <typename T>
  T* as() const {
    static_assert(sizeof(T) == sizeof(Element), "a view of the elements, not of their bytes");
    return reinterpret_cast<T*>(this->held());
  }
};

using PinnedBytes = PinnedElements<jbyteArray, jbyte, &JNIEnv::GetByteArrayElements,
                                   &JNIEnv::ReleaseByteArrayElements>;
using PinnedInts =
    PinnedElements<jintArray, jint, &JNIEnv::GetIntArrayElements, &JNIEnv::ReleaseIntArrayElements>;

// A critical region. Not even GetArrayLength may come while one is held, so the length (in
// elements) is asked for beforehand, with arrayLength(). Where two are held, the one pinned last
// is released first.
class PinnedCritical : public PinnedArray<jarray, void, &releaseCritical> {
 public:
  // GetPrimitiveArrayCritical; size() is the length as given.
  PinnedCritical(JNIEnv* env, jarray array, std::size_t length, ReleaseMode mode)
      : PinnedArray(env, array, mode) {
    if (array == nullptr) return;
    hold(env->GetPrimitiveArrayCritical(array, nullptr), length);
  }

  template <typename T>
  T* as() const {
    return static_cast<T*>(held());
  }
};

}  // namespace brevan::jni
