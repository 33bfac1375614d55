#pragma once

namespace hostutil {

// Runs an export's body; any exception becomes the export's failure value, since nothing may
// be thrown across the JNI boundary.
template <typename Result, typename Body>
Result guarded(Result failure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

}  // namespace hostutil
