// Whether the conversion loops have their SSE2 forms. SSE2 is part of every x86-64 target; the
// 32-bit Windows build does not assume it and keeps the plain loops, as does a build with
// BREVAN_CAMCAPTURE_SCALAR (the tests check that path natively).
//
// x86-64 builds also have AVX2 forms, run only where the processor has AVX2 (loop_choice.cpp).
// They are compiled for AVX2 function by function (BREVAN_AVX2_CODE) rather than by a file flag,
// so no inline function shared with the other loops is ever built with AVX2 instructions. The
// AVX-512 forms (BREVAN_AVX512_CODE) are built the same way, for the processors that have them.
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

#if defined(__x86_64__) && defined(__GNUC__)
#define BREVAN_CAMCAPTURE_AVX2 1
#define BREVAN_AVX2_CODE __attribute__((target("avx2")))
#include <immintrin.h>

namespace brevan::camcapture::detail::avx2 {

BREVAN_AVX2_CODE inline __m128i load16Bytes(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
BREVAN_AVX2_CODE inline __m256i load32Bytes(const uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
BREVAN_AVX2_CODE inline void store16Bytes(void* p, __m128i v) {
  _mm_storeu_si128(static_cast<__m128i*>(p), v);
}
BREVAN_AVX2_CODE inline void store32Bytes(void* p, __m256i v) {
  _mm256_storeu_si256(static_cast<__m256i*>(p), v);
}

// Two registers of 16-bit values packed to bytes (each half of the result holds the matching
// halves of both, as the packs do). Luma and sums saturate unsigned; chroma lies in -128..127,
// saturates signed and is stored as its value - 128's low 8 bits, i.e. with the top bit flipped.
template <bool Chroma>
BREVAN_AVX2_CODE inline __m256i packedBytes(__m256i first, __m256i next) {
  if constexpr (Chroma) {
    return _mm256_xor_si256(_mm256_packs_epi16(first, next), _mm256_set1_epi8(char(0x80)));
  } else {
    return _mm256_packus_epi16(first, next);
  }
}
// Sixteen 16-bit values (0..255 after saturation) in order stored as bytes.
BREVAN_AVX2_CODE inline void storeUnsigned16(uint8_t* out, __m256i values) {
  store16Bytes(
      out, _mm_packus_epi16(_mm256_castsi256_si128(values), _mm256_extracti128_si256(values, 1)));
}

}  // namespace brevan::camcapture::detail::avx2

#define BREVAN_AVX512_CODE __attribute__((target("avx2,avx512f,avx512bw,avx512vl,avx512vbmi")))

namespace brevan::camcapture::detail::avx512 {

BREVAN_AVX512_CODE inline __m512i load64Bytes(const uint8_t* p) { return _mm512_loadu_si512(p); }
BREVAN_AVX512_CODE inline void store64Bytes(void* p, __m512i v) { _mm512_storeu_si512(p, v); }
// x >> 10 per signed 32-bit lane. The zero-masked spelling of the plain shift: GCC 12's plain one
// warns of an uninitialised value inside its own header.
BREVAN_AVX512_CODE inline __m512i shiftedBy10(__m512i x) {
  return _mm512_maskz_srai_epi32(__mmask16(0xFFFF), x, 10);
}
// Thirty-two bytes as thirty-two 16-bit lanes, in order.
BREVAN_AVX512_CODE inline __m512i widen32(const uint8_t* p) {
  return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

}  // namespace brevan::camcapture::detail::avx512
#endif
#endif
