// Whether the SSE2 paths run. Decided once from the processor (every
// x86_64 has SSE2; a 32-bit one is asked), so that the library also works
// on processors without it; tests can force the scalar paths to compare.
#pragma once

#if defined(__i386__) || defined(__x86_64__)
#define VIDENC_X86 1
#else
#define VIDENC_X86 0
#endif

namespace videnc {

bool sse2Enabled();

// true: every SSE2 path falls back to its scalar form; false: back to what
// the processor allows.
void forceScalarPaths(bool force);

}  // namespace videnc
