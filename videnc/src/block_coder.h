// Run-level coding of one block's levels (natural order, sent in scan
// order) with DC prediction.
#pragma once

#include <cstdint>

#include "bit_writer.h"

namespace brevan::videnc {

// Worst case of one block: intra bit, coded bit and 64 escapes.
constexpr unsigned kMaxBlockBits = 2 + 64 * 24;

// Writes the coded bit and, if any level differs from zero after the DC
// prediction is subtracted, the coefficients. levels[0] is replaced by the
// level the viewer will rebuild (it differs only when the predicted value
// does not fit the escape's 9 bits, like AC levels above 511, which are
// clamped so encoder and viewer stay in step); dcPrediction becomes it.
void writeBlock(BitWriter& out, int32_t* levels, int32_t& dcPrediction);

// Same, given the nonzero levels as bits by natural position (what
// quantiseBlock returns), which spares the scan over all 64 levels.
void writeBlock(BitWriter& out, int32_t* levels, uint64_t nonzero, int32_t& dcPrediction);

}  // namespace brevan::videnc
