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
