// Joining arbitrary deltas; where both apply in turn to a fixed X, the join must give the same.
#include <cstdlib>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace brevan::delta::fuzz;
  static const Bytes x = [] {
    Bytes bytes(300);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    return bytes;
  }();
  Bytes first, second, joined, y, z, direct;
  split(data, size, first, second);
  if (!run(brevan::delta::joinDeltas, first, second, joined)) return 0;
  if (!run(applyQuietly, x, first, y) || !run(applyQuietly, y, second, z)) return 0;
  if (!run(applyQuietly, x, joined, direct) || direct != z) std::abort();
  return 0;
}
