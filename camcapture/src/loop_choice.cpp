#include "loop_choice.h"

#include <atomic>

#include "simd_choice.h"

namespace brevan::camcapture::detail {
namespace {

// The checks also ask whether the system saves the wider registers on a thread switch.
bool processorHasAvx2() {
#ifdef BREVAN_CAMCAPTURE_AVX2
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// The AVX-512 loops use 512-bit words and bytes (F, BW), byte permutes (VBMI) and the masked
// 256-bit forms (VL).
bool processorHasAvx512() {
#ifdef BREVAN_CAMCAPTURE_AVX2
  __builtin_cpu_init();
  return processorHasAvx2() && __builtin_cpu_supports("avx512f") &&
         __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
         __builtin_cpu_supports("avx512vbmi");
#else
  return false;
#endif
}

Loops fastestAvailable() {
  static const Loops fastest = processorHasAvx512()          ? Loops::avx512
                               : processorHasAvx2()          ? Loops::avx2
                               : loopsAvailable(Loops::sse2) ? Loops::sse2
                                                             : Loops::plain;
  return fastest;
}

std::atomic<int> chosen{-1};  // -1: the fastest available

}  // namespace

bool loopsAvailable(Loops loops) {
  switch (loops) {
    case Loops::plain:
      return true;
    case Loops::sse2:
#ifdef BREVAN_CAMCAPTURE_SSE2
      return true;
#else
      return false;
#endif
    case Loops::avx2:
      return processorHasAvx2();
    case Loops::avx512:
      return processorHasAvx512();
  }
  return false;
}

Loops loopsInUse() {
  const int forced = chosen.load(std::memory_order_relaxed);
  return forced < 0 ? fastestAvailable() : Loops(forced);
}

void useLoops(Loops loops) { chosen.store(int(loops), std::memory_order_relaxed); }

}  // namespace brevan::camcapture::detail
