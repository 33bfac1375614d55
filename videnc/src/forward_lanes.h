// The forward transform's butterfly and the transpose between its passes,
// written once for vectors of 16-bit lanes of any width. Ops names the
// vector type and its operations. In vectors wider than 128 bits each
// 128-bit half holds a block of its own: their unpack and pack operations
// stay within the halves, so the same steps transform one block per half.
// Include only inside a file's SIMD target; each such file compiles its own
// copy (internal linkage), so no code built for one target reaches another.
#pragma once

#include <cstdint>

#include "transform.h"

namespace brevan::videnc {
namespace {
namespace lanes {

// Transposes 8 rows of eight 16-bit values in place.
template <class Ops>
inline void transpose8x16(typename Ops::V* r) {
  using V = typename Ops::V;
  const V a0 = Ops::unpacklo16(r[0], r[1]), a1 = Ops::unpackhi16(r[0], r[1]);
  const V a2 = Ops::unpacklo16(r[2], r[3]), a3 = Ops::unpackhi16(r[2], r[3]);
  const V a4 = Ops::unpacklo16(r[4], r[5]), a5 = Ops::unpackhi16(r[4], r[5]);
  const V a6 = Ops::unpacklo16(r[6], r[7]), a7 = Ops::unpackhi16(r[6], r[7]);
  const V b0 = Ops::unpacklo32(a0, a2), b1 = Ops::unpackhi32(a0, a2);
  const V b2 = Ops::unpacklo32(a1, a3), b3 = Ops::unpackhi32(a1, a3);
  const V b4 = Ops::unpacklo32(a4, a6), b5 = Ops::unpackhi32(a4, a6);
  const V b6 = Ops::unpacklo32(a5, a7), b7 = Ops::unpackhi32(a5, a7);
  r[0] = Ops::unpacklo64(b0, b4);
  r[1] = Ops::unpackhi64(b0, b4);
  r[2] = Ops::unpacklo64(b1, b5);
  r[3] = Ops::unpackhi64(b1, b5);
  r[4] = Ops::unpacklo64(b2, b6);
  r[5] = Ops::unpackhi64(b2, b6);
  r[6] = Ops::unpacklo64(b3, b7);
  r[7] = Ops::unpackhi64(b3, b7);
}

// Two 16-bit factors for a multiply-add on (first, second) pairs.
template <class Ops>
inline typename Ops::V factors(int32_t first, int32_t second) {
  return Ops::set32(static_cast<int32_t>((static_cast<uint32_t>(second) << 16) |
                                         (static_cast<uint32_t>(first) & 0xffff)));
}

// Interleaved (p, q) pairs of the lanes, low and high half.
template <class Ops>
struct Pairs {
  typename Ops::V lo, hi;
  Pairs(typename Ops::V p, typename Ops::V q)
      : lo(Ops::unpacklo16(p, q)), hi(Ops::unpackhi16(p, q)) {}
};

// One output of the butterfly, a.(f0, f1) + b.(f2, f3), for every lane:
// exact 32-bit sums, shifted and packed back into 16-bit lanes.
template <class Ops, int Shift>
inline typename Ops::V dot(const Pairs<Ops>& a, const Pairs<Ops>& b, int32_t f0, int32_t f1,
                           int32_t f2, int32_t f3) {
  using V = typename Ops::V;
  const V fa = factors<Ops>(f0, f1), fb = factors<Ops>(f2, f3);
  const V lo = Ops::add32(Ops::madd(a.lo, fa), Ops::madd(b.lo, fb));
  const V hi = Ops::add32(Ops::madd(a.hi, fa), Ops::madd(b.hi, fb));
  return Ops::packs32(Ops::template srai32<Shift>(lo), Ops::template srai32<Shift>(hi));
}

// The 1-D forward pass on every line at once: v[x] holds sample x of every
// line (one line per 16-bit lane); out[k] receives output k of every line.
// Exact while the even/odd sums and the shifted outputs fit 16 bits.
template <class Ops, int Shift>
inline void forwardLanes(const typename Ops::V* v, typename Ops::V* out) {
  using V = typename Ops::V;
  const V s0 = Ops::add16(v[0], v[7]), d0 = Ops::sub16(v[0], v[7]);
  const V s1 = Ops::add16(v[1], v[6]), d1 = Ops::sub16(v[1], v[6]);
  const V s2 = Ops::add16(v[2], v[5]), d2 = Ops::sub16(v[2], v[5]);
  const V s3 = Ops::add16(v[3], v[4]), d3 = Ops::sub16(v[3], v[4]);
  const Pairs<Ops> s01(s0, s1), s23(s2, s3), d01(d0, d1), d23(d2, d3);
  out[0] = dot<Ops, Shift>(s01, s23, kCos4, kCos4, kCos4, kCos4);
  out[1] = dot<Ops, Shift>(d01, d23, kCos1, kCos3, kCos5, kCos7);
  out[2] = dot<Ops, Shift>(s01, s23, kCos2, kCos6, -kCos6, -kCos2);
  out[3] = dot<Ops, Shift>(d01, d23, kCos3, -kCos7, -kCos1, -kCos5);
  out[4] = dot<Ops, Shift>(s01, s23, kCos4, -kCos4, -kCos4, kCos4);
  out[5] = dot<Ops, Shift>(d01, d23, kCos5, -kCos1, kCos7, kCos3);
  out[6] = dot<Ops, Shift>(s01, s23, kCos6, -kCos2, kCos2, -kCos6);
  out[7] = dot<Ops, Shift>(d01, d23, kCos7, -kCos5, kCos3, -kCos1);
}

// Both passes on the eight rows of a block (per 128-bit half); rows is
// consumed and out[k] receives row k of the coefficients.
template <class Ops>
inline void forward2d(typename Ops::V* rows, typename Ops::V* out) {
  typename Ops::V columns[8];
  transpose8x16<Ops>(rows);  // rows[x]: sample x of each row
  forwardLanes<Ops, 9>(rows, columns);
  transpose8x16<Ops>(columns);  // columns[y]: row y of the row outputs
  forwardLanes<Ops, 13>(columns, out);
}

}  // namespace lanes
}  // namespace
}  // namespace brevan::videnc
