// Which forms of the conversion loops run: the plain per-pixel loops, their SSE2, AVX2 or AVX-512
// forms (each wider form hands what it does not convert to the narrower ones). The fastest the
// build and the processor have is chosen once; tests run each form in turn.
#pragma once

namespace brevan::camcapture::detail {

// In order of width: a form runs the narrower vector forms after its own (see runs).
enum class Loops { plain, sse2, avx2, avx512 };

// Whether the loops chosen run the given form's groups (the chosen form and every narrower one).
inline bool runs(Loops chosen, Loops form) { return int(chosen) >= int(form); }

// Whether this build has the form and this processor can run it.
bool loopsAvailable(Loops loops);
// The form in use: the fastest available, unless useLoops chose another.
Loops loopsInUse();
// For tests: run the given (available) form from now on, in every thread.
void useLoops(Loops loops);

}  // namespace brevan::camcapture::detail
