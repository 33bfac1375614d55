// RAII access to Java arrays and strings for the exports.
#pragma once

#include <jni.h>

#include <cstddef>
#include <cstdint>

namespace videnc {

// GetByteArrayElements for the holder's life; released with mode 0, so
// writes reach the Java array. A null array gives no data and size 0.
class ByteArrayElements {
public:
    ByteArrayElements(JNIEnv* env, jbyteArray array) : env_(env), array_(array) {
        if (array == nullptr) return;
        const jsize length = env->GetArrayLength(array);
        data_ = env->GetByteArrayElements(array, nullptr);
        if (data_ != nullptr && length > 0) size_ = static_cast<size_t>(length);
    }
    ~ByteArrayElements() {
        if (data_ != nullptr) env_->ReleaseByteArrayElements(array_, data_, 0);
    }
    ByteArrayElements(const ByteArrayElements&) = delete;
    ByteArrayElements& operator=(const ByteArrayElements&) = delete;

    uint8_t* data() const { return reinterpret_cast<uint8_t*>(data_); }
    size_t size() const { return size_; }

private:
    JNIEnv* env_;
    jbyteArray array_;
    jbyte* data_ = nullptr;
    size_t size_ = 0;
};

// GetStringUTFChars for the holder's life; null for a null string.
class Utf8Chars {
public:
    Utf8Chars(JNIEnv* env, jstring string) : env_(env), string_(string) {
        if (string != nullptr) chars_ = env->GetStringUTFChars(string, nullptr);
    }
    ~Utf8Chars() {
        if (chars_ != nullptr) env_->ReleaseStringUTFChars(string_, chars_);
    }
    Utf8Chars(const Utf8Chars&) = delete;
    Utf8Chars& operator=(const Utf8Chars&) = delete;

    const char* get() const { return chars_; }

private:
    JNIEnv* env_;
    jstring string_;
    const char* chars_ = nullptr;
};

}  // namespace videnc
