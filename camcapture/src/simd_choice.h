// Whether the conversion loops have their SSE2 forms. SSE2 is part of every x86-64 target; the
// 32-bit Windows build does not assume it and keeps the plain loops, as does a build with
// BREVAN_CAMCAPTURE_SCALAR (the tests check that path natively).
#pragma once

#if defined(__SSE2__) && !defined(BREVAN_CAMCAPTURE_SCALAR)
#define BREVAN_CAMCAPTURE_SSE2 1
#include <emmintrin.h>

#include <cstdint>
#include <cstring>

namespace brevan::camcapture::detail::sse2 {

inline __m128i load8Bytes(const uint8_t* p) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}
inline __m128i load4Bytes(const uint8_t* p) {
  int32_t value;
  std::memcpy(&value, p, 4);
  return _mm_cvtsi32_si128(value);
}
inline void store8Bytes(uint8_t* p, __m128i v) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}
inline void store16Bytes(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
// Eight bytes as eight 16-bit lanes.
inline __m128i widen8(const uint8_t* p) {
  return _mm_unpacklo_epi8(load8Bytes(p), _mm_setzero_si128());
}

}  // namespace brevan::camcapture::detail::sse2
#endif
