#include "quantiser.h"

#include <cstring>

#include "quantiser_sse2.h"
#include "simd_dispatch.h"

namespace brevan::videnc {

const int32_t kDcStep[kQuantCount] = {96, 80, 72, 64, 56, 48, 40, 24, 24, 24,
                                      24, 24, 24, 16, 16, 8,  16, 8,  16, 8};
const int32_t kAcStep[kQuantCount] = {96, 80, 72, 64, 56, 56, 48, 40, 36, 32,
                                      28, 24, 20, 20, 16, 16, 12, 12, 8,  8};

const uint8_t kZigzag[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

StepDivider::StepDivider(int32_t s) : step(s) {
  // Round-up reciprocal: with l = ceil(log2 s) and m = ceil(2^(15+l) / s),
  // floor(n * m / 2^(15+l)) == floor(n / s) for every n < 2^15, and
  // n * m < 2^32.
  int l = 0;
  while ((1 << l) < s) ++l;
  shift = 15 + l;
  multiplier = static_cast<uint32_t>(((uint64_t{1} << shift) + static_cast<uint64_t>(s) - 1) /
                                     static_cast<uint64_t>(s));
}

namespace {

// Bit i set where |coeff[i]| >= its step, i.e. where the level is nonzero.
// The comparisons fill bytes so that they vectorise; a multiply gathers
// eight 0/1 bytes (little-endian) into eight bits.
uint64_t reachesStep(const int32_t* coeff, int32_t dcStep, int32_t acStep) {
  uint8_t flags[64];
  for (int i = 0; i < 64; ++i)
    flags[i] = static_cast<uint8_t>((coeff[i] >= acStep) | (coeff[i] <= -acStep));
  flags[0] = static_cast<uint8_t>((coeff[0] >= dcStep) | (coeff[0] <= -dcStep));
  uint64_t mask = 0;
  for (int group = 0; group < 8; ++group) {
    uint64_t bytes;
    std::memcpy(&bytes, flags + 8 * group, 8);
    mask |= ((bytes * 0x0102040810204080ull) >> 56) << (8 * group);
  }
  return mask;
}

}  // namespace

uint64_t nonzeroMask(const int32_t* levels) {
  uint64_t mask = 0;
  for (int i = 0; i < 64; ++i) mask |= static_cast<uint64_t>(levels[i] != 0) << i;
  return mask;
}

namespace {

// Divides only where a level results: levels are mostly zero.
uint64_t divideBlockPlain(const int32_t* coeff, const QuantSteps& steps, int32_t* levels) {
  const uint64_t mask = reachesStep(coeff, steps.dc.step, steps.ac.step);
  std::memset(levels, 0, 64 * sizeof(int32_t));
  for (uint64_t rest = mask; rest != 0; rest &= rest - 1) {
    const int i = __builtin_ctzll(rest);
    levels[i] = (i == 0 ? steps.dc : steps.ac).divide(coeff[i]);
  }
  return mask;
}

}  // namespace

uint64_t quantiseBlock(const int32_t* coeff, const QuantSteps& steps, int32_t* levels) {
  uint64_t mask;
#if VIDENC_X86
  if (sse2Enabled() && divideBlockSse2(coeff, steps, levels, &mask))
    return applySmallBlockRule(levels, mask);
#endif
  mask = divideBlockPlain(coeff, steps, levels);
  return applySmallBlockRule(levels, mask);
}

void reconstructBlock(const int32_t* levels, const QuantSteps& steps, int32_t* recon) {
  // Levels can be anything a packet carries; multiply modulo 2^32 like the viewer.
  recon[0] =
      static_cast<int32_t>(static_cast<uint32_t>(levels[0]) * static_cast<uint32_t>(steps.dc.step));
  for (int i = 1; i < 64; ++i) {
    recon[i] = static_cast<int32_t>(static_cast<uint32_t>(levels[i]) *
                                    static_cast<uint32_t>(steps.ac.step));
  }
}

void reconstructBlock(const int32_t* levels, uint64_t present, const QuantSteps& steps,
                      int32_t* recon) {
  std::memset(recon, 0, 64 * sizeof(int32_t));
  for (uint64_t rest = present; rest != 0; rest &= rest - 1) {
    const int i = __builtin_ctzll(rest);
    const uint32_t step = static_cast<uint32_t>(i == 0 ? steps.dc.step : steps.ac.step);
    recon[i] = static_cast<int32_t>(static_cast<uint32_t>(levels[i]) * step);
  }
}

}  // namespace brevan::videnc
