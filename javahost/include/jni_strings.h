// Java strings in and out, as UTF-16 (the string's own characters) or as modified UTF-8 (NUL as
// two bytes, characters outside the BMP as two three-byte surrogates).
//   in:  Utf16Chars, javaChars, javaCharsInPieces (UTF-16); Utf8Chars (modified UTF-8)
//   out: javaString (UTF-16, NewString); javaStringUtf8 (modified UTF-8, NewStringUTF)
// A null string is never handed to the host: it reads as no characters (a null c_str() in UTF-8).
#pragma once

#include <jni.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace brevan::jni {

// The characters of a string for the holder's life: GetStringLength, then GetStringChars;
// ReleaseStringChars at the end. No data and size 0 for a null string or when the host gives none.
class Utf16Chars {
 public:
  Utf16Chars(JNIEnv* env, jstring string) : env_(env), string_(string) {
    if (string_ == nullptr) return;
    const jsize length = env_->GetStringLength(string_);
    chars_ = env_->GetStringChars(string_, nullptr);
    if (chars_ != nullptr && length > 0) size_ = std::size_t(length);
  }
  ~Utf16Chars() { release(); }
  Utf16Chars(Utf16Chars&& other) noexcept
      : env_(other.env_),
        string_(other.string_),
        chars_(std::exchange(other.chars_, nullptr)),
        size_(std::exchange(other.size_, 0)) {}
  Utf16Chars& operator=(Utf16Chars&& other) noexcept {
    if (this != &other) {
      release();
      env_ = other.env_;
      string_ = other.string_;
      chars_ = std::exchange(other.chars_, nullptr);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  Utf16Chars(const Utf16Chars&) = delete;
  Utf16Chars& operator=(const Utf16Chars&) = delete;

  explicit operator bool() const { return chars_ != nullptr; }
  const char16_t* data() const { return reinterpret_cast<const char16_t*>(chars_); }
  std::size_t size() const { return size_; }
  std::u16string_view view() const { return {data(), size_}; }

 private:
  void release() {
    if (chars_ != nullptr) env_->ReleaseStringChars(string_, chars_);
    chars_ = nullptr;
    size_ = 0;
  }

  JNIEnv* env_;
  jstring string_;
  const jchar* chars_ = nullptr;
  std::size_t size_ = 0;
};

// The string in modified UTF-8 for the holder's life: GetStringUTFChars, ReleaseStringUTFChars
// at the end. Null for a null string or when the host gives none.
class Utf8Chars {
 public:
  Utf8Chars(JNIEnv* env, jstring string) : env_(env), string_(string) {
    if (string_ != nullptr) chars_ = env_->GetStringUTFChars(string_, nullptr);
  }
  ~Utf8Chars() { release(); }
  Utf8Chars(Utf8Chars&& other) noexcept
      : env_(other.env_), string_(other.string_), chars_(std::exchange(other.chars_, nullptr)) {}
  Utf8Chars& operator=(Utf8Chars&& other) noexcept {
    if (this != &other) {
      release();
      env_ = other.env_;
      string_ = other.string_;
      chars_ = std::exchange(other.chars_, nullptr);
    }
    return *this;
  }
  Utf8Chars(const Utf8Chars&) = delete;
  Utf8Chars& operator=(const Utf8Chars&) = delete;

  explicit operator bool() const { return chars_ != nullptr; }
  const char* c_str() const { return chars_; }

 private:
  void release() {
    if (chars_ != nullptr) env_->ReleaseStringUTFChars(string_, chars_);
    chars_ = nullptr;
  }

  JNIEnv* env_;
  jstring string_;
  const char* chars_ = nullptr;
};

// A copy of the string's characters (Utf16Chars); empty for a null string.
inline std::u16string javaChars(JNIEnv* env, jstring string) {
  const Utf16Chars chars(env, string);
  return std::u16string(chars.view());
}

// A copy of the string's characters read with GetStringRegion in pieces of at most 1024, with
// nothing pinned; stops early, with what it has, when a Java exception is pending.
inline std::u16string javaCharsInPieces(JNIEnv* env, jstring string) {
  constexpr jsize kPiece = 1024;
  std::u16string result;
  if (string == nullptr) return result;
  const jsize length = env->GetStringLength(string);
  jchar piece[kPiece];
  for (jsize start = 0; start < length; start += kPiece) {
    const jsize count = length - start < kPiece ? length - start : kPiece;
    env->GetStringRegion(string, start, count, piece);
    if (env->ExceptionOccurred() != nullptr) break;
    result.append(reinterpret_cast<const char16_t*>(piece), std::size_t(count));
  }
  return result;
}

// A new string of exactly these characters, whatever they are (NewString).
inline jstring javaString(JNIEnv* env, std::u16string_view text) {
  return env->NewString(reinterpret_cast<const jchar*>(text.data()), jsize(text.size()));
}

// A new string from modified UTF-8 (NewStringUTF); null for null.
inline jstring javaStringUtf8(JNIEnv* env, const char* modifiedUtf8) {
  return env->NewStringUTF(modifiedUtf8);
}

}  // namespace brevan::jni
