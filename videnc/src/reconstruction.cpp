#include "reconstruction.h"

#include "simd_dispatch.h"
#include "transform.h"
#include "transform_avx2.h"
#include "transform_sse2.h"

namespace brevan::videnc {
namespace {

void fillBlock(int32_t* block, int stride, int32_t value) {
  for (int row = 0; row < 8; ++row, block += stride) {
    for (int x = 0; x < 8; ++x) block[x] = value;
  }
}

void addToBlock(int32_t* block, int stride, int32_t value) {
  for (int row = 0; row < 8; ++row, block += stride) {
    for (int x = 0; x < 8; ++x) {
      block[x] =
          static_cast<int32_t>(static_cast<uint32_t>(block[x]) + static_cast<uint32_t>(value));
    }
  }
}

// The widest vector form of the update from levels; false where none
// runs or the values need the scalar form.
bool inverseLevelsInLanes(bool replace, const int32_t* levels, uint64_t present,
                          const QuantSteps& steps, int32_t* reference, int stride) {
#if VIDENC_X86
  if (avx2Enabled()) return inverseLevelsAvx2(replace, levels, present, steps, reference, stride);
  if (sse2Enabled()) return inverseLevelsSse2(replace, levels, present, steps, reference, stride);
#endif
  return false;
}

}  // namespace

void updateReference(bool replace, const int32_t* levels, const QuantSteps& steps,
                     int32_t* reference, int stride) {
  updateReference(replace, levels, nonzeroMask(levels), steps, reference, stride);
}

void updateReference(bool replace, const int32_t* levels, uint64_t present, const QuantSteps& steps,
                     int32_t* reference, int stride) {
  // Most blocks of natural pictures carry a DC level at most; their
  // inverse is flat and needs no transform.
  present |= 1;
  if (present == 1) {
    const int32_t value = inverseDcOnly(static_cast<int32_t>(static_cast<uint32_t>(levels[0]) *
                                                             static_cast<uint32_t>(steps.dc.step)));
    if (replace) {
      fillBlock(reference, stride, value);
    } else if (value != 0) {
      addToBlock(reference, stride, value);
    }
    return;
  }
  if (!onlyFirstRow(present) &&
      inverseLevelsInLanes(replace, levels, present, steps, reference, stride))
    return;
  int32_t recon[64];
  reconstructBlock(levels, present, steps, recon);
  if (replace) {
    inverseDctSparse(recon, present, reference, stride);
  } else {
    inverseDctAddSparse(recon, present, reference, stride);
  }
}

}  // namespace brevan::videnc
