// Inverting arbitrary deltas; where the delta applies, its inverse must give the base back.
#include <cstdlib>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace brevan::delta::fuzz;
  Bytes base, delta, inverse, y, back;
  split(data, size, base, delta);
  if (!run(brevan::delta::invertDelta, base, delta, inverse)) return 0;
  if (!run(applyQuietly, base, delta, y)) return 0;
  if (!run(applyQuietly, y, inverse, back) || back != base) std::abort();
  return 0;
}
