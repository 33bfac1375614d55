// The frame coder's work on the samples of one 8x8 block: loading them from
// the frame, taking the reference away, and the sums of the mode choice.
// Each runs in SSE2 where sse2Enabled() says so, with the same results.
#pragma once

#include <cstdint>

#include "quantiser.h"

namespace brevan::videnc {

// samples[8 * row + x] = src[row * stride + x] - bias.
void loadBlock(const uint8_t* src, int stride, int32_t bias, int32_t* samples);

// samples -= the reference block, modulo 2^32.
void subtractReference(const int32_t* reference, int stride, int32_t* samples);

// Over the 16 samples of even rows and columns: the sum of absolute
// differences from the reference, and the sum of absolute deviations from
// their mean (sum / 16, truncated).
struct IntraSums {
  int64_t sad;
  int32_t deviation;
};
IntraSums intraSums(const int32_t* samples, const int32_t* reference, int stride);

// The mode rule on those sums: code the block by itself when its own
// spread is clearly below its distance from the reference.
inline bool prefersIntra(const IntraSums& sums) {
  return sums.deviation < sums.sad - 32 && sums.deviation > 10;
}

// The SSE2 forms. intraSumsSse2 is exact while samples and reference lie
// within +-kIntraLaneLimit (its sums then fit 32-bit lanes); false otherwise.
constexpr int32_t kIntraLaneLimit = 1 << 25;
void loadBlockSse2(const uint8_t* src, int stride, int32_t bias, int32_t* samples);
void subtractReferenceSse2(const int32_t* reference, int stride, int32_t* samples);
bool intraSumsSse2(const int32_t* samples, const int32_t* reference, int stride, IntraSums* sums);

// All of the above for one block of a relative packet in 16-bit lanes:
// the mode choice (prefersIntra on the same sums) and the transform input,
// the samples of a block coded by itself or else their difference from the
// reference, which then lies within +-kForwardLaneLimit. False, with
// nothing written, when a reference sample lies outside
// +-kRelativeReferenceLimit.
constexpr int32_t kRelativeReferenceLimit = 1024;
bool relativeInputSse2(const uint8_t* src, int stride, int32_t bias, const int32_t* reference,
                       bool* intra, int16_t* input);

// The same for the block at src and the one 8 samples on, in AVX2 (only
// where avx2Enabled() says so), and then their levels (forwardDct16Sse2
// and quantiseBlockSse2): intra[0], levelsFirst and nonzero[0] for the
// former, intra[1], levelsSecond and nonzero[1] for the latter; false,
// with nothing written, when either block's reference is out of bounds.
bool relativeLevelsPairAvx2(const uint8_t* src, int stride, int32_t bias, const int32_t* reference,
                            const QuantSteps& steps, bool* intra, int32_t* levelsFirst,
                            int32_t* levelsSecond, uint64_t* nonzero);

// The same for the four blocks from src on, in AVX-512 (only where
// avx512Enabled() says so): block b's mode in intra[b], its levels in
// levels[b] and their nonzero mask in nonzero[b].
bool relativeLevelsFourAvx512(const uint8_t* src, int stride, int32_t bias,
                              const int32_t* reference, const QuantSteps& steps, bool* intra,
                              int32_t* const* levels, uint64_t* nonzero);

}  // namespace brevan::videnc
