// The quantiser's truncating division in 16-bit lanes, written once for
// vectors of any width (Ops as for the transform lanes). Include only
// inside a file's SIMD target.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "quantiser.h"

namespace brevan::videnc {
namespace {
namespace lanes {

// Every lane divided by the divider's step: its multiply and shift on the
// magnitudes, exact for magnitudes within kQuantLaneLimit (the multiplier
// fits 16 bits and the shift is at least 16).
template <class Ops>
struct LaneDivider {
  typename Ops::V multiplier;
  __m128i shift;
  explicit LaneDivider(const StepDivider& divider)
      : multiplier(Ops::set16(static_cast<int16_t>(divider.multiplier))),
        shift(_mm_cvtsi32_si128(divider.shift - 16)) {}

  typename Ops::V operator()(typename Ops::V v) const {
    using V = typename Ops::V;
    const V sign = Ops::template srai16<15>(v);
    const V magnitude = Ops::sub16(Ops::xor_(v, sign), sign);
    const V q = Ops::srl16(Ops::mulhiu16(magnitude, multiplier), shift);
    return Ops::sub16(Ops::xor_(q, sign), sign);
  }
};

}  // namespace lanes
}  // namespace
}  // namespace brevan::videnc
