// The failure every delta operation raises internally; the file-level entry points turn it into
// the result -1, so it never leaves the library.
#pragma once

#include <stdexcept>

namespace brevan::delta {

class DeltaError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace brevan::delta
