#include "quantiser.h"

namespace videnc {

const int32_t kDcStep[kQuantCount] = {96, 80, 72, 64, 56, 48, 40, 24, 24, 24,
                                      24, 24, 24, 16, 16, 8,  16, 8,  16, 8};
const int32_t kAcStep[kQuantCount] = {96, 80, 72, 64, 56, 56, 48, 40, 36, 32,
                                      28, 24, 20, 20, 16, 16, 12, 12, 8,  8};

const uint8_t kZigzag[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

StepDivider::StepDivider(int32_t s) : step(s) {
    // Round-up reciprocal: with l = ceil(log2 s) and m = ceil(2^(15+l) / s),
    // floor(n * m / 2^(15+l)) == floor(n / s) for every n < 2^15, and
    // n * m < 2^32.
    int l = 0;
    while ((1 << l) < s) ++l;
    shift = 15 + l;
    multiplier = static_cast<uint32_t>(((uint64_t{1} << shift) + static_cast<uint64_t>(s) - 1) / static_cast<uint64_t>(s));
}

void quantiseBlock(const int32_t* coeff, const QuantSteps& steps, int32_t* levels) {
    uint32_t largest = 0;
    for (int i = 0; i < 64; ++i) {
        const uint32_t sign = static_cast<uint32_t>(coeff[i] >> 31);
        largest |= (static_cast<uint32_t>(coeff[i]) ^ sign) - sign;
    }
    int nonzero = 0;
    if (largest < kFastDivideLimit) {
        levels[0] = steps.dc.divideSmall(coeff[0]);
        for (int i = 1; i < 64; ++i) levels[i] = steps.ac.divideSmall(coeff[i]);
    } else {
        levels[0] = steps.dc.divide(coeff[0]);
        for (int i = 1; i < 64; ++i) levels[i] = steps.ac.divide(coeff[i]);
    }
    for (int i = 0; i < 64; ++i) nonzero += levels[i] != 0;
    if (nonzero == 0 || nonzero > 2) return;
    const int32_t limit = nonzero == 1 ? 2 : 1;
    for (int i = 0; i < 64; ++i) {
        if (levels[i] >= -limit && levels[i] <= limit) levels[i] = 0;
    }
}

void reconstructBlock(const int32_t* levels, const QuantSteps& steps, int32_t* recon) {
    // Levels can be anything a packet carries; multiply modulo 2^32 like the viewer.
    recon[0] = static_cast<int32_t>(static_cast<uint32_t>(levels[0]) * static_cast<uint32_t>(steps.dc.step));
    for (int i = 1; i < 64; ++i) {
        recon[i] = static_cast<int32_t>(static_cast<uint32_t>(levels[i]) * static_cast<uint32_t>(steps.ac.step));
    }
}

}  // namespace videnc
