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

template <typename Array, typename Element, Element* (JNIEnv::*Get)(Array, jboolean*),
          void (JNIEnv::*Release)(Array, Element*, jint)>
class PinnedElements {
 public:
  // GetArrayLength, then Get<Type>ArrayElements.
  PinnedElements(JNIEnv* env, Array array, ReleaseMode mode)
      : env_(env), array_(array), mode_(mode) {
    if (array_ == nullptr) return;
    const jsize length = env_->GetArrayLength(array_);
    data_ = (env_->*Get)(array_, nullptr);
    if (data_ != nullptr && length > 0) size_ = std::size_t(length);
  }
  ~PinnedElements() { release(); }
  PinnedElements(PinnedElements&& other) noexcept
      : env_(other.env_),
        array_(other.array_),
        mode_(other.mode_),
        data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)) {}
  PinnedElements& operator=(PinnedElements&& other) noexcept {
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
  PinnedElements(const PinnedElements&) = delete;
  PinnedElements& operator=(const PinnedElements&) = delete;

  // Release<Type>ArrayElements with the holder's mode; afterwards the holder is empty.
  void release() {
    if (data_ != nullptr) (env_->*Release)(array_, data_, jint(mode_));
    data_ = nullptr;
    size_ = 0;
  }
  // Release<Type>ArrayElements with JNI_COMMIT: the changes so far reach the Java array.
  void commit() {
    if (data_ != nullptr) (env_->*Release)(array_, data_, JNI_COMMIT);
  }

  explicit operator bool() const { return data_ != nullptr; }
  Element* data() const { return data_; }
  template <typename T>
  T* as() const {
    static_assert(sizeof(T) == sizeof(Element), "a view of the elements, not of their bytes");
    return reinterpret_cast<T*>(data_);
  }
  std::size_t size() const { return size_; }  // elements

 private:
  JNIEnv* env_;
  Array array_;
  ReleaseMode mode_;
  Element* data_ = nullptr;
  std::size_t size_ = 0;
};

using PinnedBytes = PinnedElements<jbyteArray, jbyte, &JNIEnv::GetByteArrayElements,
                                   &JNIEnv::ReleaseByteArrayElements>;
using PinnedInts =
    PinnedElements<jintArray, jint, &JNIEnv::GetIntArrayElements, &JNIEnv::ReleaseIntArrayElements>;

// A critical region. Not even GetArrayLength may come while one is held, so the length (in
// elements) is asked for beforehand, with arrayLength(). Where two are held, the one pinned last
// is released first.
class PinnedCritical {
 public:
  // GetPrimitiveArrayCritical.
  PinnedCritical(JNIEnv* env, jarray array, std::size_t length, ReleaseMode mode)
      : env_(env), array_(array), mode_(mode) {
    if (array_ == nullptr) return;
    data_ = env_->GetPrimitiveArrayCritical(array_, nullptr);
    if (data_ != nullptr) size_ = length;
  }
  ~PinnedCritical() { release(); }
  PinnedCritical(PinnedCritical&& other) noexcept
      : env_(other.env_),
        array_(other.array_),
        mode_(other.mode_),
        data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)) {}
  PinnedCritical& operator=(PinnedCritical&& other) noexcept {
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
  PinnedCritical(const PinnedCritical&) = delete;
  PinnedCritical& operator=(const PinnedCritical&) = delete;

  // ReleasePrimitiveArrayCritical with the holder's mode; afterwards the holder is empty.
  void release() {
    if (data_ != nullptr) env_->ReleasePrimitiveArrayCritical(array_, data_, jint(mode_));
    data_ = nullptr;
    size_ = 0;
  }
  // ReleasePrimitiveArrayCritical with JNI_COMMIT: the region stays held.
  void commit() {
    if (data_ != nullptr) env_->ReleasePrimitiveArrayCritical(array_, data_, JNI_COMMIT);
  }

  explicit operator bool() const { return data_ != nullptr; }
  template <typename T>
  T* as() const {
    return static_cast<T*>(data_);
  }
  std::size_t size() const { return size_; }  // elements, as given

 private:
  JNIEnv* env_;
  jarray array_;
  ReleaseMode mode_;
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace brevan::jni
