// How the test JNI host reports a library's misuse of JNI: loudly, naming the function.
#pragma once

#include <string>

namespace brevan::jnitest {

// Called with the message of every failure. The default prints it to stderr; whatever the
// handler does, if it returns the process aborts. A test may throw from its handler.
using FailureHandler = void (*)(const std::string& message);

// Installs handler (nullptr: the default) and returns the previous one.
FailureHandler setFailureHandler(FailureHandler handler);

[[noreturn]] void fail(const std::string& message);

}  // namespace brevan::jnitest
