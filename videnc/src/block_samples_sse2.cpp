#include "simd_dispatch.h"

#if VIDENC_X86
#include <emmintrin.h>

#include "block_prefetch.h"
#include "block_samples.h"
#include "transform.h"

#include "sse2_target_begin.h"

#include "relative_lanes.h"
#include "sse2_lanes.h"

namespace brevan::videnc {
namespace {

using sse2::laneSum;

inline __m128i load(const int32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void store(int32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

inline __m128i absolute(__m128i v) {
  const __m128i sign = _mm_srai_epi32(v, 31);
  return _mm_sub_epi32(_mm_xor_si128(v, sign), sign);
}

// Lanes beyond +-kIntraLaneLimit, as a nonzero mask.
inline __m128i outsideLimit(__m128i v) {
  return _mm_or_si128(_mm_cmpgt_epi32(v, _mm_set1_epi32(kIntraLaneLimit)),
                      _mm_cmplt_epi32(v, _mm_set1_epi32(-kIntraLaneLimit)));
}

// Values 0, 2, 4 and 6 of a row.
inline __m128i evenColumns(const int32_t* row) {
  const __m128 low = _mm_castsi128_ps(load(row)), high = _mm_castsi128_ps(load(row + 4));
  return _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
}

// The width-dependent part of the relative input: one block.
struct OneBlock : sse2::Ops {
  static constexpr int kBlocks = 1;
  static V loadBytes(const uint8_t* src) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src)),
                             _mm_setzero_si128());
  }
  static V loadReference(const int32_t* row) { return _mm_packs_epi32(load(row), load(row + 4)); }
  static bool any(V v) { return _mm_movemask_epi8(v) != 0; }
  static void blockFlags(V mask, bool* flags) { flags[0] = _mm_cvtsi128_si32(mask) != 0; }
  using Output = int16_t*;
  static void storeRow(V v, int y, int16_t* input) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(input + 8 * y), v);
  }
};

}  // namespace

bool relativeInputSse2(const uint8_t* src, int stride, int32_t bias, const int32_t* reference,
                       bool* intra, int16_t* input) {
  return lanes::relativeInput<OneBlock>(src, stride, bias, reference, intra, input);
}

void loadBlockSse2(const uint8_t* src, int stride, int32_t bias, int32_t* samples) {
  const __m128i zero = _mm_setzero_si128(), offset = _mm_set1_epi32(bias);
  for (int row = 0; row < 8; ++row, src += stride) {
    const __m128i words =
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src)), zero);
    store(samples + 8 * row, _mm_sub_epi32(_mm_unpacklo_epi16(words, zero), offset));
    store(samples + 8 * row + 4, _mm_sub_epi32(_mm_unpackhi_epi16(words, zero), offset));
  }
}

void subtractReferenceSse2(const int32_t* reference, int stride, int32_t* samples) {
  for (int row = 0; row < 8; ++row, reference += stride) {
    store(samples + 8 * row, _mm_sub_epi32(load(samples + 8 * row), load(reference)));
    store(samples + 8 * row + 4, _mm_sub_epi32(load(samples + 8 * row + 4), load(reference + 4)));
  }
}

bool intraSumsSse2(const int32_t* samples, const int32_t* reference, int stride, IntraSums* sums) {
  __m128i s[4], outside = _mm_setzero_si128(), sad = _mm_setzero_si128(), sum = _mm_setzero_si128();
  for (int i = 0; i < 4; ++i) {
    s[i] = evenColumns(samples + 16 * i);
    const __m128i r = evenColumns(reference + 2 * i * stride);
    outside = _mm_or_si128(outside, _mm_or_si128(outsideLimit(s[i]), outsideLimit(r)));
    sad = _mm_add_epi32(sad, absolute(_mm_sub_epi32(s[i], r)));
    sum = _mm_add_epi32(sum, s[i]);
  }
  if (_mm_movemask_epi8(outside) != 0) return false;
  const __m128i mean = _mm_set1_epi32(laneSum(sum) / 16);
  __m128i deviation = _mm_setzero_si128();
  for (int i = 0; i < 4; ++i)
    deviation = _mm_add_epi32(deviation, absolute(_mm_sub_epi32(s[i], mean)));
  sums->sad = laneSum(sad);
  sums->deviation = laneSum(deviation);
  return true;
}

}  // namespace brevan::videnc

#include "simd_target_end.h"
#endif
