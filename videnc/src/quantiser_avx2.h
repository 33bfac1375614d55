// The quantiser for two blocks at once in AVX2 lanes, equal to
// quantiseBlockSse2 on each, from arrays of coefficients. (The transforms
// of pairs quantise their rows with the same code without storing them.)
// Callers run it only where avx2Enabled() says so.
#pragma once

#include <cstdint>

#include "quantiser.h"

namespace brevan::videnc {

// quantiseBlockSse2 of first and of second (16-bit coefficients, each
// within +-kQuantLaneLimit); the nonzero masks go to nonzero[0] and [1].
void quantisePairAvx2(const int16_t* first, const int16_t* second, const QuantSteps& steps,
                      int32_t* levelsFirst, int32_t* levelsSecond, uint64_t* nonzero);

}  // namespace brevan::videnc
