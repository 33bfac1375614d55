#include "transform.h"

#include "simd_dispatch.h"
#include "transform_sse2.h"

namespace brevan::videnc {
namespace {

// Wrapping 32-bit arithmetic: unsigned operations, arithmetic right shift
// on the signed reinterpretation.
using u32 = uint32_t;
inline int32_t sar(u32 v, int s) { return static_cast<int32_t>(v) >> s; }

// One 1-D forward pass over 8 values at in[0], in[step], ...: the sums of
// products split into even and odd halves (K(k, 7-x) = +-K(k, x)), which
// gives the same exact sums with half the products.
template <int Shift>
inline void forward1d(const u32* in, int inStep, u32* out, int outStep) {
  const u32 s0 = in[0] + in[7 * inStep], d0 = in[0] - in[7 * inStep];
  const u32 s1 = in[inStep] + in[6 * inStep], d1 = in[inStep] - in[6 * inStep];
  const u32 s2 = in[2 * inStep] + in[5 * inStep], d2 = in[2 * inStep] - in[5 * inStep];
  const u32 s3 = in[3 * inStep] + in[4 * inStep], d3 = in[3 * inStep] - in[4 * inStep];
  out[0] = static_cast<u32>(sar(kCos4 * (s0 + s1 + s2 + s3), Shift));
  out[4 * outStep] = static_cast<u32>(sar(kCos4 * (s0 - s1 - s2 + s3), Shift));
  out[2 * outStep] = static_cast<u32>(sar(kCos2 * (s0 - s3) + kCos6 * (s1 - s2), Shift));
  out[6 * outStep] = static_cast<u32>(sar(kCos6 * (s0 - s3) - kCos2 * (s1 - s2), Shift));
  out[1 * outStep] =
      static_cast<u32>(sar(kCos1 * d0 + kCos3 * d1 + kCos5 * d2 + kCos7 * d3, Shift));
  out[3 * outStep] =
      static_cast<u32>(sar(kCos3 * d0 - kCos7 * d1 - kCos1 * d2 - kCos5 * d3, Shift));
  out[5 * outStep] =
      static_cast<u32>(sar(kCos5 * d0 - kCos1 * d1 + kCos7 * d2 + kCos3 * d3, Shift));
  out[7 * outStep] =
      static_cast<u32>(sar(kCos7 * d0 - kCos5 * d1 + kCos3 * d2 - kCos1 * d3, Shift));
}

// The viewer's 1-D inverse on F0..F7 = in[0], in[step], ...; with Count < 8
// the inputs from F(Count) on are known to be 0, and their products drop out.
template <int Shift, int Count = 8>
inline void inverse1d(const u32* in, int step, u32* out, int outStep) {
  const u32 f0 = in[0], f1 = in[step], f2 = in[2 * step], f3 = in[3 * step];
  const u32 f4 = Count > 4 ? in[4 * step] : 0u, f5 = Count > 5 ? in[5 * step] : 0u;
  const u32 f6 = Count > 6 ? in[6 * step] : 0u, f7 = Count > 7 ? in[7 * step] : 0u;
  const u32 a = kCos3 * f3 + kCos5 * f5;
  const u32 b = kCos1 * f1 + kCos7 * f7;
  const u32 c = kCos2 * f2 + kCos6 * f6;
  const u32 d = kCos4 * (f0 + f4);
  const u32 a2 = kCos3 * f5 - kCos5 * f3;
  const u32 b2 = kCos7 * f1 - kCos1 * f7;
  const u32 c2 = kCos6 * f2 - kCos2 * f6;
  const u32 d2 = kCos4 * (f0 - f4);
  const u32 o1 = static_cast<u32>(sar((b + b2 - a - a2) * kCos4, 10));
  const u32 o2 = static_cast<u32>(sar((b + a2 - a - b2) * kCos4, 10));
  out[0] = static_cast<u32>(sar(a + b + c + d, Shift));
  out[7 * outStep] = static_cast<u32>(sar(c + d - a - b, Shift));
  out[1 * outStep] = static_cast<u32>(sar(d2 + c2 + o1, Shift));
  out[6 * outStep] = static_cast<u32>(sar(d2 + c2 - o1, Shift));
  out[2 * outStep] = static_cast<u32>(sar(d2 - c2 + o2, Shift));
  out[5 * outStep] = static_cast<u32>(sar(d2 - c2 - o2, Shift));
  out[3 * outStep] = static_cast<u32>(sar(d - c + a2 + b2, Shift));
  out[4 * outStep] = static_cast<u32>(sar(d - c - a2 - b2, Shift));
}

constexpr uint64_t kColumnBits = 0x0101010101010101ull;

// Bit i set where in[i] != 0.
inline uint64_t presentMask(const u32* in) {
  uint64_t mask = 0;
  for (int i = 0; i < 64; ++i) mask |= static_cast<uint64_t>(in[i] != 0) << i;
  return mask;
}

// Positions of the last four rows, and of the last four columns.
constexpr uint64_t kLowerRows = 0xffffffff00000000ull;
constexpr uint64_t kRightColumns = 0xf0f0f0f0f0f0f0f0ull;

// The column pass, Rows values per column at most. A column of zeros
// transforms to zeros, and one whose only value is in row 0 to eight
// equal values (as the butterfly gives).
template <int Rows>
inline void inverseColumns(const u32* in, uint64_t present, u32* mid) {
  for (int col = 0; col < 8; ++col) {
    const uint64_t bits = (present >> col) & kColumnBits;
    if (bits == 0 || bits == 1) {
      const u32 value = bits == 0 ? 0u : static_cast<u32>(sar(kCos4 * in[col], 10));
      for (int y = 0; y < 8; ++y) mid[8 * y + col] = value;
    } else {
      inverse1d<10, Rows>(in + col, 8, mid + col, 8);
    }
  }
}

template <int Columns, class Emit>
inline void inverseRows(const u32* mid, Emit emit) {
  u32 row[8];
  for (int y = 0; y < 8; ++y) {
    inverse1d<12, Columns>(mid + 8 * y, 1, row, 1);
    emit(y, row);
  }
}

// Columns first, then rows; emit(row, values) receives each output row.
// Blocks of low frequencies (the common ones) skip the products of the
// values known to be 0.
template <class Emit>
inline void inverse2d(const int32_t* coeff, uint64_t present, Emit emit) {
  const u32* in = reinterpret_cast<const u32*>(coeff);
  if (onlyFirstRow(present)) {
    // Every column flat: all rows of the column pass are alike.
    u32 first[8], row[8];
    for (int col = 0; col < 8; ++col) first[col] = static_cast<u32>(sar(kCos4 * in[col], 10));
    inverse1d<12>(first, 1, row, 1);
    for (int y = 0; y < 8; ++y) emit(y, row);
    return;
  }
  u32 mid[64];
  if ((present & kLowerRows) == 0) {
    inverseColumns<4>(in, present, mid);
  } else {
    inverseColumns<8>(in, present, mid);
  }
  // A column without values leaves zeros in every row of the column pass.
  if ((present & kRightColumns) == 0) {
    inverseRows<4>(mid, emit);
  } else {
    inverseRows<8>(mid, emit);
  }
}

}  // namespace

int32_t forwardBasis(int k, int x) {
  static const int32_t kBasis[8][4] = {
      {kCos4, kCos4, kCos4, kCos4},   {kCos1, kCos3, kCos5, kCos7},
      {kCos2, kCos6, -kCos6, -kCos2}, {kCos3, -kCos7, -kCos1, -kCos5},
      {kCos4, -kCos4, -kCos4, kCos4}, {kCos5, -kCos1, kCos7, kCos3},
      {kCos6, -kCos2, kCos2, -kCos6}, {kCos7, -kCos5, kCos3, -kCos1},
  };
  // Even rows are symmetric about the middle, odd rows antisymmetric.
  if (x < 4) return kBasis[k][x];
  return (k % 2 == 0 ? 1 : -1) * kBasis[k][7 - x];
}

void forwardDctPlain(const int32_t* in, int32_t* out) {
  const u32* src = reinterpret_cast<const u32*>(in);
  u32* dst = reinterpret_cast<u32*>(out);
  u32 mid[64];
  for (int row = 0; row < 8; ++row) forward1d<9>(src + 8 * row, 1, mid + 8 * row, 1);
  for (int col = 0; col < 8; ++col) forward1d<13>(mid + col, 8, dst + col, 8);
}

void forwardDct(const int32_t* in, int32_t* out) {
#if VIDENC_X86
  int16_t lanes[64];
  if (sse2Enabled() && forwardDctSse2(in, lanes)) {
    for (int i = 0; i < 64; ++i) out[i] = lanes[i];
    return;
  }
#endif
  forwardDctPlain(in, out);
}

int32_t inverseDcOnly(int32_t dc) {
  // Column pass: D = D' = 724 F0 and nothing else; row pass likewise.
  const u32 column = static_cast<u32>(sar(kCos4 * static_cast<u32>(dc), 10));
  return sar(kCos4 * column, 12);
}

void inverseDctSparse(const int32_t* coeff, uint64_t present, int32_t* out, int stride) {
#if VIDENC_X86
  if (!onlyFirstRow(present) && sse2Enabled() && inverseDctSse2(coeff, out, stride)) return;
#endif
  inverse2d(coeff, present, [out, stride](int y, const u32* row) {
    for (int x = 0; x < 8; ++x) out[y * stride + x] = static_cast<int32_t>(row[x]);
  });
}

void inverseDctAddSparse(const int32_t* coeff, uint64_t present, int32_t* out, int stride) {
#if VIDENC_X86
  if (!onlyFirstRow(present) && sse2Enabled() && inverseDctAddSse2(coeff, out, stride)) return;
#endif
  inverse2d(coeff, present, [out, stride](int y, const u32* row) {
    u32* line = reinterpret_cast<u32*>(out + y * stride);
    for (int x = 0; x < 8; ++x) line[x] += row[x];
  });
}

void inverseDct(const int32_t* coeff, int32_t* out, int stride) {
  inverseDctSparse(coeff, presentMask(reinterpret_cast<const u32*>(coeff)), out, stride);
}

void inverseDctAdd(const int32_t* coeff, int32_t* out, int stride) {
  inverseDctAddSparse(coeff, presentMask(reinterpret_cast<const u32*>(coeff)), out, stride);
}

}  // namespace brevan::videnc
