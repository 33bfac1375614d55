#pragma once

#include <jni.h>

#include <string>

namespace hostutil {

// The characters of a Java string (GetStringChars); empty for a null reference.
std::u16string javaChars(JNIEnv* env, jstring text);

// A new Java string of exactly the text's characters (NewString), whatever its length.
jstring javaString(JNIEnv* env, const std::u16string& text);

}  // namespace hostutil

namespace hostutil {

// The characters of a Java string read with GetStringRegion in pieces of at most 1024; stops
// early, with what it has, when a Java exception is pending.
std::u16string javaCharsInPieces(JNIEnv* env, jstring text);

}  // namespace hostutil
