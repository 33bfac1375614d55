#include "block_samples.h"

#include <cstdlib>

#include "simd_dispatch.h"

namespace brevan::videnc {
namespace {

IntraSums intraSumsPlain(const int32_t* samples, const int32_t* reference, int stride) {
  int64_t sad = 0;
  int32_t sum = 0;
  for (int row = 0; row < 8; row += 2) {
    for (int x = 0; x < 8; x += 2) {
      sad += std::llabs(static_cast<int64_t>(samples[8 * row + x]) - reference[row * stride + x]);
      sum += samples[8 * row + x];
    }
  }
  const int32_t mean = sum / 16;
  int32_t deviation = 0;
  for (int row = 0; row < 8; row += 2) {
    for (int x = 0; x < 8; x += 2) deviation += std::abs(samples[8 * row + x] - mean);
  }
  return {sad, deviation};
}

}  // namespace

void loadBlock(const uint8_t* src, int stride, int32_t bias, int32_t* samples) {
#if VIDENC_X86
  if (sse2Enabled()) return loadBlockSse2(src, stride, bias, samples);
#endif
  for (int row = 0; row < 8; ++row) {
    for (int x = 0; x < 8; ++x) samples[8 * row + x] = static_cast<int32_t>(src[x]) - bias;
    src += stride;
  }
}

void subtractReference(const int32_t* reference, int stride, int32_t* samples) {
#if VIDENC_X86
  if (sse2Enabled()) return subtractReferenceSse2(reference, stride, samples);
#endif
  for (int row = 0; row < 8; ++row) {
    for (int x = 0; x < 8; ++x) {
      samples[8 * row + x] = static_cast<int32_t>(static_cast<uint32_t>(samples[8 * row + x]) -
                                                  static_cast<uint32_t>(reference[x]));
    }
    reference += stride;
  }
}

IntraSums intraSums(const int32_t* samples, const int32_t* reference, int stride) {
#if VIDENC_X86
  IntraSums sums;
  if (sse2Enabled() && intraSumsSse2(samples, reference, stride, &sums)) return sums;
#endif
  return intraSumsPlain(samples, reference, stride);
}

}  // namespace brevan::videnc
