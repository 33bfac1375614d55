// The quantiser's divisions in 16-bit SSE2 lanes, equal to StepDivider.
// Callers run it only where sse2Enabled() says so.
#pragma once

#include <cstdint>

#include "quantiser.h"

namespace brevan::videnc {

// Coefficients within +-kQuantLaneLimit fit a 16-bit lane without
// saturating, and there the divider's multiply and shift is exact.
constexpr int32_t kQuantLaneLimit = 32766;

// Every level of the block (truncating division, DC by the DC step, no
// small-block rule) and their nonzero mask; false, with nothing written,
// when a coefficient lies outside +-kQuantLaneLimit.
bool divideBlockSse2(const int32_t* coeff, const QuantSteps& steps, int32_t* levels,
                     uint64_t* nonzero);

// quantiseBlock of coefficients already in 16 bits, each within
// +-kQuantLaneLimit (as the vector transform gives them).
uint64_t quantiseBlockSse2(const int16_t* coeff, const QuantSteps& steps, int32_t* levels);

}  // namespace brevan::videnc
