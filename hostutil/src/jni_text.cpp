#include "jni_text.h"

namespace hostutil {

std::u16string javaChars(JNIEnv* env, jstring text) {
  if (text == nullptr) return {};
  const jsize length = env->GetStringLength(text);
  const jchar* chars = env->GetStringChars(text, nullptr);
  if (chars == nullptr) return {};
  std::u16string result(reinterpret_cast<const char16_t*>(chars), size_t(length));
  env->ReleaseStringChars(text, chars);
  return result;
}

jstring javaString(JNIEnv* env, const std::u16string& text) {
  return env->NewString(reinterpret_cast<const jchar*>(text.data()), jsize(text.size()));
}

}  // namespace hostutil

namespace hostutil {

std::u16string javaCharsInPieces(JNIEnv* env, jstring text) {
  constexpr jsize kPiece = 1024;
  std::u16string result;
  if (text == nullptr) return result;
  const jsize length = env->GetStringLength(text);
  jchar piece[kPiece];
  for (jsize start = 0; start < length; start += kPiece) {
    const jsize count = length - start < kPiece ? length - start : kPiece;
    env->GetStringRegion(text, start, count, piece);
    if (env->ExceptionOccurred() != nullptr) break;
    result.append(reinterpret_cast<const char16_t*>(piece), size_t(count));
  }
  return result;
}

}  // namespace hostutil
