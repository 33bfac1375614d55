// Parameter types of a JNI method descriptor such as "(JLjava/lang/String;)V", enough to read
// the arguments of CallStaticVoidMethod back out of a va_list.
#pragma once

#include <jni.h>

#include <cstdarg>
#include <optional>
#include <string>
#include <vector>

namespace brevan::jnitest::detail {

// One descriptor per parameter: "I", "J", "Ljava/lang/String;", "[B", ...
// Empty optional for a malformed descriptor or one whose result is not void.
std::optional<std::vector<std::string>> voidMethodParameters(const std::string& signature);

// Reads one value per parameter with the C promotions of variadic calls.
std::vector<jvalue> readArguments(const std::vector<std::string>& parameters, va_list args);

}  // namespace brevan::jnitest::detail
