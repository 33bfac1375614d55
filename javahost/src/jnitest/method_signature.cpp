#include "jnitest/method_signature.h"

#include <cstddef>
#include <cstring>

namespace brevan::jnitest::detail {
namespace {

// Length of the field descriptor at signature[at], or 0 if there is none.
std::size_t fieldLength(const std::string& signature, std::size_t at) {
  std::size_t start = at;
  while (at < signature.size() && signature[at] == '[') ++at;
  if (at >= signature.size()) return 0;
  char c = signature[at];
  if (c == 'L') {
    std::size_t end = signature.find(';', at);
    return end == std::string::npos || end == at + 1 ? 0 : end + 1 - start;
  }
  return c != '\0' && std::strchr("ZBCSIJFD", c) != nullptr ? at + 1 - start : 0;
}

}  // namespace

std::optional<std::vector<std::string>> voidMethodParameters(const std::string& signature) {
  if (signature.size() < 3 || signature.front() != '(') return std::nullopt;
  std::vector<std::string> parameters;
  std::size_t at = 1;
  while (at < signature.size() && signature[at] != ')') {
    std::size_t length = fieldLength(signature, at);
    if (length == 0) return std::nullopt;
    parameters.push_back(signature.substr(at, length));
    at += length;
  }
  if (signature.compare(at, std::string::npos, ")V") != 0) return std::nullopt;
  return parameters;
}

std::vector<jvalue> readArguments(const std::vector<std::string>& parameters, va_list args) {
  std::vector<jvalue> values;
  for (const std::string& type : parameters) {
    jvalue value{};
    switch (type[0]) {
      case 'Z':
        value.z = static_cast<jboolean>(va_arg(args, int));
        break;
      case 'B':
        value.b = static_cast<jbyte>(va_arg(args, int));
        break;
      case 'C':
        value.c = static_cast<jchar>(va_arg(args, int));
        break;
      case 'S':
        value.s = static_cast<jshort>(va_arg(args, int));
        break;
      case 'I':
        value.i = va_arg(args, jint);
        break;
      case 'J':
        value.j = va_arg(args, jlong);
        break;
      case 'F':
        value.f = static_cast<jfloat>(va_arg(args, double));
        break;
      case 'D':
        value.d = va_arg(args, double);
        break;
      default:
        value.l = va_arg(args, jobject);
        break;
    }
    values.push_back(value);
  }
  return values;
}

}  // namespace brevan::jnitest::detail
