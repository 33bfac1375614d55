// Which forms of the conversion loops run: the plain per-pixel loops, their SSE2 forms, or their
// AVX2 forms (each wider form hands the rest of a row to the narrower ones). The fastest the
// build and the processor have is chosen once; tests run each form in turn.
#pragma once

namespace brevan::camcapture::detail {

enum class Loops { plain, sse2, avx2 };

// Whether this build has the form and this processor can run it.
bool loopsAvailable(Loops loops);
// The form in use: the fastest available, unless useLoops chose another.
Loops loopsInUse();
// For tests: run the given (available) form from now on, in every thread.
void useLoops(Loops loops);

}  // namespace brevan::camcapture::detail
