// The guard around an export's body, for JNI and plain exports alike: nothing may be thrown
// across the boundary, so any C++ exception becomes the export's failure value.
//
//   return brevan::jni::guarded<jint>(-1, [&] { ...; return count; });
//   brevan::jni::guarded([&] { ... });  // an export that returns nothing
#pragma once

namespace brevan::jni {

template <typename Result, typename Body>
Result guarded(Result failure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

template <typename Body>
void guarded(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

}  // namespace brevan::jni
