// SSE2 forms of the transforms, bit for bit equal to the scalar ones.
// Callers run them only where sse2Enabled() says so.
#pragma once

#include <cstdint>

#include "quantiser.h"

namespace brevan::videnc {

// forwardDctPlain in 16-bit lanes, with 16-bit coefficients (within
// +-16382); false, with out untouched, when a sample lies outside
// +-kForwardLaneLimit (the 16-bit sums would overflow).
constexpr int32_t kForwardLaneLimit = 1448;
bool forwardDctSse2(const int32_t* in, int16_t* out);

// The same from 8x8 frame bytes at src less bias (0..255), which are
// always within the limit.
void forwardDctBytesSse2(const uint8_t* src, int stride, int32_t bias, int16_t* out);

// The same from 16-bit samples, each within +-kForwardLaneLimit.
void forwardDct16Sse2(const int16_t* in, int16_t* out);

// inverseDct and inverseDctAdd in SSE2 lanes; false, with out untouched,
// when the inputs of a pass do not fit 16 bits.
bool inverseDctSse2(const int32_t* coeff, int32_t* out, int stride);
bool inverseDctAddSse2(const int32_t* coeff, int32_t* out, int stride);

// The reference update of a block straight from its levels, given the
// natural positions of the nonzero ones as bits (those not sent are 0; it
// may read only the rows and columns they cover): inverseDctSse2 (replace)
// or inverseDctAddSse2 of the reconstruction values, without forming them
// in 32 bits. False, with out untouched, where a value of either pass does
// not fit 16 bits.
bool inverseLevelsSse2(bool replace, const int32_t* levels, uint64_t present,
                       const QuantSteps& steps, int32_t* out, int stride);

}  // namespace brevan::videnc
