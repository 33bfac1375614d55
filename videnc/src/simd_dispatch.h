// Which vector paths run. Decided once from the processor (every x86_64
// has SSE2; a 32-bit one is asked, and both are asked for AVX2 and AVX-512), so that the
// library also works on processors without them; tests can cap the paths
// to compare them with each other and with the scalar forms.
#pragma once

#if defined(__i386__) || defined(__x86_64__)
#define VIDENC_X86 1
#else
#define VIDENC_X86 0
#endif

namespace brevan::videnc {

enum class SimdLevel { Scalar, Sse2, Avx2, Avx512 };

bool sse2Enabled();
bool avx2Enabled();
bool avx512Enabled();  // F and BW

// Uses no path above `level` (and never one the processor lacks).
void limitSimdPaths(SimdLevel level);

// true: every vector path falls back to its scalar form; false: back to
// what the processor allows.
void forceScalarPaths(bool force);

}  // namespace brevan::videnc
