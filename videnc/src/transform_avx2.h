// AVX2 forms of the transforms, bit for bit equal to the scalar ones: the
// forward one, with the quantiser, for two horizontally adjacent blocks at
// once. Callers run them only where avx2Enabled() says so.
#pragma once

#include <cstdint>

#include "quantiser.h"

namespace brevan::videnc {

// The levels of the block at src and of the one 8 bytes on:
// forwardDctBytesSse2 and quantiseBlockSse2 of each, the nonzero masks in
// nonzero[0] and [1].
void absoluteLevelsPairAvx2(const uint8_t* src, int stride, int32_t bias, const QuantSteps& steps,
                            int32_t* levelsFirst, int32_t* levelsSecond, uint64_t* nonzero);

// inverseLevelsSse2 in 256-bit lanes; false, with out untouched, where it is.
bool inverseLevelsAvx2(bool replace, const int32_t* levels, uint64_t present,
                       const QuantSteps& steps, int32_t* out, int stride);

}  // namespace brevan::videnc
