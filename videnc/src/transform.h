// 8x8 DCT-II pair of the video packets, in 32-bit integer arithmetic.
//
// Forward: rows then columns, X(k) = (sum f(x) K(k,x)) >> 9 and
// Y(k) = (sum X(y) K(k,y)) >> 13, where K(0,x) = 724 = 1024/sqrt(2) and
// K(k,x) = round(1024 cos((2x+1) k pi / 16)); the result is the orthonormal
// DCT (DC = sum / 8). Inverse: the fixed butterfly that the viewer runs,
// columns (shift 10) then rows (shift 12). Both work modulo 2^32 like the
// viewer's 32-bit integers, so extreme inputs wrap instead of being
// undefined.
#pragma once

#include <cstdint>

namespace brevan::videnc {

// cos(k pi / 16) scaled by 1024 and rounded.
constexpr int32_t kCos1 = 1004;  // pi/16
constexpr int32_t kCos2 = 946;   // 2pi/16
constexpr int32_t kCos3 = 851;   // 3pi/16
constexpr int32_t kCos4 = 724;   // pi/4
constexpr int32_t kCos5 = 569;   // 5pi/16
constexpr int32_t kCos6 = 392;   // 6pi/16
constexpr int32_t kCos7 = 200;   // 7pi/16

// Basis K(k, x) of the forward transform.
int32_t forwardBasis(int k, int x);

// in: 64 samples row by row; out: 64 coefficients, natural order
// (8 * vertical frequency + horizontal frequency).
void forwardDct(const int32_t* in, int32_t* out);

// The scalar form of forwardDct, which the vector form must match.
void forwardDctPlain(const int32_t* in, int32_t* out);

// Inverse of 64 reconstruction values (natural order), written to out
// row by row with the given stride.
void inverseDct(const int32_t* coeff, int32_t* out, int stride);

// The inverse of a block whose only nonzero value is the DC one is flat:
// every output sample equals this.
int32_t inverseDcOnly(int32_t dc);

// Same as inverseDct, but adds the results to out.
void inverseDctAdd(const int32_t* coeff, int32_t* out, int stride);

// Values in row 0 only (bit i of present for natural position i): every
// column of the inverse's column pass is flat, and the row pass alone is
// left, which the scalar code does cheapest.
inline bool onlyFirstRow(uint64_t present) { return (present >> 8) == 0; }

// inverseDct and inverseDctAdd of a block whose nonzero values all lie at
// the natural positions set in `present` (bit i for position i); faster
// the sparser `present` is.
void inverseDctSparse(const int32_t* coeff, uint64_t present, int32_t* out, int stride);
void inverseDctAddSparse(const int32_t* coeff, uint64_t present, int32_t* out, int stride);

}  // namespace brevan::videnc
