// Quantiser steps, scan order and the quantisation of one transformed block.
#pragma once

#include <cstdint>

namespace videnc {

constexpr int kQuantCount = 20;     // index 0 is the coarsest step, 19 the finest
constexpr int kDefaultQuant = 13;   // used until there is a size history

extern const int32_t kDcStep[kQuantCount];
extern const int32_t kAcStep[kQuantCount];

// Zigzag order of JPEG and H.263: scan position -> natural position
// (8 * row + column).
extern const uint8_t kZigzag[64];

// Truncating division by a step through a multiply: exact for |n| < 2^16,
// which covers every coefficient of 8-bit pictures; larger ones divide.
struct StepDivider {
    int32_t step;
    uint32_t multiplier;  // ceil(2^(16 + shiftExtra) / step)
    int shift;

    explicit StepDivider(int32_t s);
    int32_t divide(int32_t n) const {
        const uint32_t magnitude = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
        uint32_t q;
        if (magnitude < (1u << 16)) {
            q = static_cast<uint32_t>((static_cast<uint64_t>(magnitude) * multiplier) >> shift);
        } else {
            q = magnitude / static_cast<uint32_t>(step);
        }
        return n < 0 ? -static_cast<int32_t>(q) : static_cast<int32_t>(q);
    }
};

struct QuantSteps {
    StepDivider dc;
    StepDivider ac;
    explicit QuantSteps(int q) : dc(kDcStep[q]), ac(kAcStep[q]) {}
};

// Levels of a transformed block (coefficients in natural order) in scan
// order, with the small-block rule applied: a lone nonzero level in -2..2,
// or each of exactly two nonzero levels that lies in -1..1, becomes 0.
void quantiseBlock(const int32_t* coeff, const QuantSteps& steps, int32_t* levels);

// Reconstruction values (natural order) of levels in scan order.
void reconstructBlock(const int32_t* levels, const QuantSteps& steps, int32_t* recon);

}  // namespace videnc
