#include "simd_dispatch.h"

namespace brevan::videnc {
namespace {

SimdLevel processorLevel() {
#if VIDENC_X86
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
    return SimdLevel::Avx512;
  if (__builtin_cpu_supports("avx2")) return SimdLevel::Avx2;
#if defined(__x86_64__)
  return SimdLevel::Sse2;
#else
  return __builtin_cpu_supports("sse2") ? SimdLevel::Sse2 : SimdLevel::Scalar;
#endif
#else
  return SimdLevel::Scalar;
#endif
}

const SimdLevel kProcessorLevel = processorLevel();
SimdLevel level = kProcessorLevel;

}  // namespace

bool sse2Enabled() { return level >= SimdLevel::Sse2; }
bool avx2Enabled() { return level >= SimdLevel::Avx2; }
bool avx512Enabled() { return level >= SimdLevel::Avx512; }

void limitSimdPaths(SimdLevel cap) { level = cap < kProcessorLevel ? cap : kProcessorLevel; }

void forceScalarPaths(bool force) { limitSimdPaths(force ? SimdLevel::Scalar : SimdLevel::Avx512); }

}  // namespace brevan::videnc
