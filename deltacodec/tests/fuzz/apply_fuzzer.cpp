// Applying arbitrary deltas to arbitrary bases: refused or applied, never outside a buffer.
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace brevan::delta::fuzz;
  Bytes base, delta, result;
  split(data, size, base, delta);
  run(applyQuietly, base, delta, result);
  return 0;
}
