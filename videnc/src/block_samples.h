// The frame coder's work on the samples of one 8x8 block: loading them from
// the frame, taking the reference away, and the sums of the mode choice.
// Each runs in SSE2 where sse2Enabled() says so, with the same results.
#pragma once

#include <cstdint>

namespace videnc {

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

// The SSE2 forms. intraSumsSse2 is exact while samples and reference lie
// within +-kIntraLaneLimit (its sums then fit 32-bit lanes); false otherwise.
constexpr int32_t kIntraLaneLimit = 1 << 25;
void loadBlockSse2(const uint8_t* src, int stride, int32_t bias, int32_t* samples);
void subtractReferenceSse2(const int32_t* reference, int stride, int32_t* samples);
bool intraSumsSse2(const int32_t* samples, const int32_t* reference, int stride, IntraSums* sums);

}  // namespace videnc
