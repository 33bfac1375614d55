// The reference update that coder and viewer both apply per block.
#pragma once

#include <cstdint>

#include "quantiser.h"

namespace brevan::videnc {

// Rebuilds an 8x8 reference block from its levels (natural order, DC
// prediction already added back): replaced for blocks coded by themselves,
// added to for difference blocks.
void updateReference(bool replace, const int32_t* levels, const QuantSteps& steps,
                     int32_t* reference, int stride);

// Same, for a caller that knows where the AC levels may be nonzero: bit i of
// `present` for natural position i, every other AC level 0 (bit 0 is not
// needed: the DC level is always read).
void updateReference(bool replace, const int32_t* levels, uint64_t present, const QuantSteps& steps,
                     int32_t* reference, int stride);

}  // namespace brevan::videnc
