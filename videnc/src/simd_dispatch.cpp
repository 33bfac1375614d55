#include "simd_dispatch.h"

namespace videnc {
namespace {

bool processorHasSse2() {
#if defined(__x86_64__)
    return true;
#elif defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
#else
    return false;
#endif
}

const bool kProcessorHasSse2 = processorHasSse2();
bool useSse2 = kProcessorHasSse2;

}  // namespace

bool sse2Enabled() { return useSse2; }

void forceScalarPaths(bool force) { useSse2 = !force && kProcessorHasSse2; }

}  // namespace videnc
