// The fixed-point colour formulas the conversions share. Coefficients are in units of 1/1024;
// ">> 10" on a negative value rounds toward minus infinity (arithmetic shift, as both compilers
// of this project do it).
#pragma once

#include <cstdint>

namespace brevan::camcapture::detail {

inline int clampByte(int value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

// What the chroma bytes cx (feeding the low byte) and cz (feeding the high byte) add to the
// luma. 233216 is 1822 x 128: the high byte's chroma is centred inside the product.
struct ChromaTerms {
  int low, mid, high;
};
inline ChromaTerms chromaTerms(int cx, int cz) {
  const int a = cx - 128;
  return {(a * 1441) >> 10, -(((cz - 128) * 354 + a * 734) >> 10), (cz * 1822 - 233216) >> 10};
}
// 0x00RRGGBB from luma y and its chroma terms, each byte clamped.
inline uint32_t colourFromTerms(int y, const ChromaTerms& terms) {
  return uint32_t(clampByte(y + terms.high)) << 16 | uint32_t(clampByte(y + terms.mid)) << 8 |
         uint32_t(clampByte(y + terms.low));
}

// The three components of an uncompressed pixel: bytes 0, 1, 2 (or the 5-bit fields scaled by 8).
struct Components {
  int x0, x1, x2;
};

// The weights of x0, x1 and x2 in luma and in the two chroma bytes. Every form of the loops
// takes them from here.
struct Weights {
  int x0, x1, x2;
};
inline constexpr Weights kLuma{306, 601, 117};
inline constexpr Weights kTowardX2{-173, -339, 512};
inline constexpr Weights kTowardX0{512, -429, -83};

inline int weighed(const Weights& w, const Components& c) {
  return w.x1 * c.x1 + w.x0 * c.x0 + w.x2 * c.x2;
}
inline uint8_t lumaOf(const Components& c) { return uint8_t(weighed(kLuma, c) >> 10); }
// "v - 128 stored as its low 8 bits": v + 128 for the values that occur.
inline uint8_t chromaTowardX2(const Components& c) {
  return uint8_t((weighed(kTowardX2, c) >> 10) - 128);
}
inline uint8_t chromaTowardX0(const Components& c) {
  return uint8_t((weighed(kTowardX0, c) >> 10) - 128);
}

}  // namespace brevan::camcapture::detail
