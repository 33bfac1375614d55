// The integer DCT pair: the forward transform against its definition, the
// inverse against the orthonormal inverse, and their edge behaviour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "reconstruction.h"
#include "simd_dispatch.h"
#include "transform.h"
#include "transform_avx2.h"
#include "transform_sse2.h"

namespace brevan::videnc {
namespace {

const double kPi = 3.14159265358979323846;

TEST(Transform, BasisIsTheRoundedScaledCosine) {
  for (int k = 1; k < 8; ++k) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(forwardBasis(k, x),
                static_cast<int32_t>(std::lround(1024 * std::cos((2 * x + 1) * k * kPi / 16))))
          << k << "," << x;
    }
  }
  for (int x = 0; x < 8; ++x) EXPECT_EQ(forwardBasis(0, x), 724);
}

// The transform as written: one full sum of products and one shift per output.
void directForward(const int32_t* in, int32_t* out) {
  int32_t mid[64];
  for (int r = 0; r < 8; ++r) {
    for (int k = 0; k < 8; ++k) {
      int32_t sum = 0;
      for (int x = 0; x < 8; ++x) sum += in[8 * r + x] * forwardBasis(k, x);
      mid[8 * r + k] = sum >> 9;
    }
  }
  for (int c = 0; c < 8; ++c) {
    for (int k = 0; k < 8; ++k) {
      int32_t sum = 0;
      for (int y = 0; y < 8; ++y) sum += mid[8 * y + c] * forwardBasis(k, y);
      out[8 * k + c] = sum >> 13;
    }
  }
}

TEST(Transform, ForwardEqualsTheSumsOfProductsExactly) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 2000; ++trial) {
    int32_t in[64], fast[64], direct[64];
    const int range = trial % 2 ? 256 : 1021;  // samples, and differences from a reference
    for (int32_t& v : in) v = static_cast<int32_t>(random() % range) - (trial % 2 ? 0 : 510);
    forwardDct(in, fast);
    directForward(in, direct);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(fast[i], direct[i]) << "trial " << trial << " at " << i;
  }
}

TEST(Transform, ForwardMatchesItsScalarFormAcrossInputRanges) {
  // Spans around the bound of the 16-bit vector path, and far beyond it.
  std::mt19937 random(5);
  const int32_t spans[] = {255, 1447, 1448, 1449, 1600, 40000, INT32_MAX};
  for (int trial = 0; trial < 20000; ++trial) {
    const int32_t span = spans[trial % 7];
    std::uniform_int_distribution<int32_t> value(-span, span);
    int32_t in[64], fast[64], plain[64];
    for (int32_t& v : in) v = value(random);
    if (trial % 3 == 0) {
      for (int i = 0; i < 64; ++i)
        in[i] = (i * 7 + trial) % 5 < 2 ? span : -span;  // extremes in patterns
    }
    if (trial % 11 == 0) in[random() % 64] = trial % 2 ? 1449 : -1449;
    forwardDct(in, fast);
    forwardDctPlain(in, plain);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(fast[i], plain[i]) << "trial " << trial << " at " << i;
  }
}

TEST(Transform, VectorForwardFromFrameBytesMatchesTheScalarForm) {
#if VIDENC_X86
  if (!sse2Enabled()) GTEST_SKIP() << "no SSE2 on this processor";
  std::mt19937 random(29);
  for (int trial = 0; trial < 4000; ++trial) {
    uint8_t frame[8 * 20];
    for (uint8_t& b : frame)
      b = trial % 3 == 0 ? static_cast<uint8_t>(random() % 2 * 255)
                         : static_cast<uint8_t>(random());
    const int32_t bias = trial % 2 ? 128 : 0;
    int32_t samples[64], plain[64];
    for (int i = 0; i < 64; ++i) samples[i] = frame[20 * (i / 8) + 3 + i % 8] - bias;
    forwardDctPlain(samples, plain);
    int16_t fast[64];
    forwardDctBytesSse2(frame + 3, 20, bias, fast);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(fast[i], plain[i]) << "trial " << trial << " at " << i;
  }
#else
  GTEST_SKIP() << "no SSE2 path on this processor family";
#endif
}

TEST(Transform, PairedVectorLevelsMatchTheScalarFormForBothBlocks) {
#if VIDENC_X86
  if (!avx2Enabled()) GTEST_SKIP() << "no AVX2 on this processor";
  std::mt19937 random(43);
  constexpr int kStride = 24;
  for (int trial = 0; trial < 4000; ++trial) {
    // Bytes at their extremes in every third trial. (The two-block form of
    // relative input, whose differences reach further, is checked with
    // the block samples.)
    uint8_t frame[8 * kStride];
    for (uint8_t& b : frame)
      b = trial % 3 == 0 ? static_cast<uint8_t>(random() % 2 * 255)
                         : static_cast<uint8_t>(random());
    const int32_t bias = trial % 2 ? 128 : 0;
    const QuantSteps steps(trial % kQuantCount);
    int32_t pair[2][64];
    uint64_t pairMask[2];
    absoluteLevelsPairAvx2(frame + 5, kStride, bias, steps, pair[0], pair[1], pairMask);
    for (int b = 0; b < 2; ++b) {
      int32_t samples[64], coeff[64], plain[64];
      for (int i = 0; i < 64; ++i) samples[i] = frame[kStride * (i / 8) + 5 + 8 * b + i % 8] - bias;
      forwardDctPlain(samples, coeff);
      forceScalarPaths(true);
      const uint64_t plainMask = quantiseBlock(coeff, steps, plain);
      forceScalarPaths(false);
      ASSERT_EQ(pairMask[b], plainMask) << "trial " << trial << " block " << b;
      for (int i = 0; i < 64; ++i)
        ASSERT_EQ(pair[b][i], plain[i]) << "trial " << trial << " block " << b << " at " << i;
    }
  }
#else
  GTEST_SKIP() << "no AVX2 path on this processor family";
#endif
}

TEST(Transform, ForwardIsCloseToTheOrthonormalDct) {
  std::mt19937 random(11);
  int32_t in[64], out[64];
  for (int32_t& v : in) v = static_cast<int32_t>(random() % 256);
  forwardDct(in, out);
  for (int u = 0; u < 8; ++u) {
    for (int v = 0; v < 8; ++v) {
      double sum = 0;
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          sum += in[8 * y + x] * std::cos((2 * x + 1) * u * kPi / 16) *
                 std::cos((2 * y + 1) * v * kPi / 16);
        }
      }
      const double exact = 0.25 * (u ? 1 : 1 / std::sqrt(2.0)) * (v ? 1 : 1 / std::sqrt(2.0)) * sum;
      EXPECT_NEAR(out[8 * v + u], exact, 3.0) << u << "," << v;
    }
  }
}

TEST(Transform, InverseUndoesTheForwardWithinRounding) {
  std::mt19937 random(3);
  // Both directions shift toward minus infinity, so the error leans
  // negative and gathers in the corners; it stays small all the same.
  double totalError = 0;
  for (int trial = 0; trial < 200; ++trial) {
    int32_t in[64], coeff[64], back[64];
    for (int32_t& v : in) v = static_cast<int32_t>(random() % 256) - 128;
    forwardDct(in, coeff);
    inverseDct(coeff, back, 8);
    for (int i = 0; i < 64; ++i) {
      ASSERT_NEAR(back[i], in[i], 8) << "trial " << trial << " at " << i;
      totalError += std::abs(back[i] - in[i]);
    }
  }
  EXPECT_LT(totalError / (200 * 64), 2.0);
}

TEST(Transform, InverseAddAddsAndDcOnlyShortcutMatches) {
  for (int32_t dc : {-100000, -4080, -1, 0, 1, 7, 1023 * 16, 2040 * 8, 99999}) {
    int32_t coeff[64] = {};
    coeff[0] = dc;
    int32_t block[64];
    inverseDct(coeff, block, 8);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(block[i], inverseDcOnly(dc)) << dc;
    int32_t base[64];
    for (int i = 0; i < 64; ++i) base[i] = i * 3 - 50;
    inverseDctAdd(coeff, base, 8);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(base[i], i * 3 - 50 + block[i]);
  }
}

TEST(Transform, SparseInverseMatchesTheFullButterfly) {
  // Blocks with nonzero values in a few rows and columns, given their
  // exact positions or more; all positions set runs every full butterfly.
  std::mt19937 random(19);
  const int32_t spans[] = {64, 49056, INT32_MAX};
  for (int trial = 0; trial < 30000; ++trial) {
    std::uniform_int_distribution<int32_t> value(-spans[trial % 3], spans[trial % 3]);
    // Low-frequency corners (up to four rows or columns) and wider spreads.
    const int rows = 1 + static_cast<int>(random() % (trial % 2 ? 4 : 8));
    const int columns = 1 + static_cast<int>(random() % (trial % 4 < 2 ? 4 : 8));
    int32_t coeff[64] = {};
    uint64_t present = 0;
    for (int k = static_cast<int>(random() % 12); k >= 0; --k) {
      const int i = 8 * static_cast<int>(random() % rows) + static_cast<int>(random() % columns);
      coeff[i] = trial % 7 == 0 ? 0 : value(random);
      present |= uint64_t{1} << i;
    }
    if (trial % 5 == 0) present |= uint64_t{1} << (random() % 64);  // a position that holds 0
    int32_t sparse[80], full[80], sparseSum[80], fullSum[80];
    for (int i = 0; i < 80; ++i)
      sparse[i] = full[i] = sparseSum[i] = fullSum[i] = static_cast<int32_t>(random());
    inverseDctSparse(coeff, present, sparse, 10);
    inverseDctSparse(coeff, ~uint64_t{0}, full, 10);
    inverseDctAddSparse(coeff, present, sparseSum, 10);
    inverseDctAddSparse(coeff, ~uint64_t{0}, fullSum, 10);
    for (int i = 0; i < 80; ++i) {
      ASSERT_EQ(sparse[i], full[i]) << "trial " << trial << " at " << i;
      ASSERT_EQ(sparseSum[i], fullSum[i]) << "trial " << trial << " at " << i;
    }
  }
}

TEST(Transform, VectorInverseMatchesTheScalarFormAroundItsSixteenBitRange) {
  // Values at the edge of 16 bits, sums of the column pass that leave
  // them, and products that wrap; the vector path must agree or step aside.
  std::mt19937 random(53);
  const int32_t edges[] = {32767, 32768, -32768, -32769, 49056, 4080, INT32_MAX, INT32_MIN};
  for (int trial = 0; trial < 30000; ++trial) {
    std::uniform_int_distribution<int32_t> value(-(trial % 2 ? 600 : 32768),
                                                 trial % 2 ? 600 : 32767);
    int32_t coeff[64] = {};
    const int used = trial % 3 == 0 ? 64 : 2 + static_cast<int>(random() % 10);
    for (int k = 0; k < used; ++k) coeff[random() % 64] = value(random);
    if (trial % 4 == 0) coeff[random() % 64] = edges[random() % 8];
    coeff[8 + random() % 56] |= 1;  // never flat, so that the vector path runs
    int32_t fast[80], plain[80], fastSum[80], plainSum[80];
    for (int i = 0; i < 80; ++i)
      fast[i] = plain[i] = fastSum[i] = plainSum[i] = static_cast<int32_t>(random());
    inverseDct(coeff, fast, 10);
    inverseDctAdd(coeff, fastSum, 10);
    forceScalarPaths(true);
    inverseDct(coeff, plain, 10);
    inverseDctAdd(coeff, plainSum, 10);
    forceScalarPaths(false);
    for (int i = 0; i < 80; ++i) {
      ASSERT_EQ(fast[i], plain[i]) << "trial " << trial << " at " << i;
      ASSERT_EQ(fastSum[i], plainSum[i]) << "trial " << trial << " at " << i;
    }
  }
}

TEST(Transform, ReferenceUpdateFromLevelsMatchesTheScalarForm) {
  // Levels whose products with the steps sit at the edge of 16 bits, and
  // levels beyond 16 bits themselves; replaced and added-to blocks; every
  // third block with its levels in rows 0-3, columns 0-3 only, as most
  // blocks of natural pictures have them.
  std::mt19937 random(59);
  const int32_t spans[] = {3, 40, 511, 32767 / 96, 32767 / 8, 40000};
  for (int trial = 0; trial < 30000; ++trial) {
    const QuantSteps steps(trial % kQuantCount);
    const int32_t span = spans[trial % 6];
    std::uniform_int_distribution<int32_t> value(-span, span);
    const bool quadrant = trial / 6 % 3 == 0;
    // A position in row 0 .. 7 (from row `top` on), in the quadrant if so.
    auto position = [&](int top) {
      const int rows = quadrant ? 4 : 8, columns = quadrant ? 4 : 8;
      return 8 * (top + static_cast<int>(random() % (rows - top))) +
             static_cast<int>(random() % columns);
    };
    int32_t levels[64] = {};
    const int used = trial % 5 == 0 ? (quadrant ? 16 : 64) : 1 + static_cast<int>(random() % 8);
    for (int k = 0; k < used; ++k) levels[position(0)] = value(random);
    if (trial % 7 == 0) {
      const int32_t edge = 32767 / (trial % 2 ? steps.ac.step : steps.dc.step) +
                           static_cast<int32_t>(random() % 3) - 1;
      levels[trial % 2 ? position(1) : 0] = random() % 2 ? edge : -edge;
    }
    levels[position(1)] |= 1;  // a value below row 0, so that the vector path runs
    const bool replace = trial % 2 == 0;
    int32_t start[80];
    for (int i = 0; i < 80; ++i) start[i] = static_cast<int32_t>(random() % 512) - 256;
    int32_t plain[80];
    std::copy(start, start + 80, plain);
    forceScalarPaths(true);
    updateReference(replace, levels, steps, plain, 10);
    forceScalarPaths(false);
    for (SimdLevel level : {SimdLevel::Sse2, SimdLevel::Avx2}) {
      int32_t fast[80];
      std::copy(start, start + 80, fast);
      limitSimdPaths(level);
      updateReference(replace, levels, steps, fast, 10);
      limitSimdPaths(SimdLevel::Avx512);
      for (int i = 0; i < 80; ++i) {
        ASSERT_EQ(fast[i], plain[i])
            << "trial " << trial << " level " << static_cast<int>(level) << " at " << i;
      }
    }
  }
}

TEST(Transform, ExtremeValuesWrapLikeThirtyTwoBitIntegers) {
  // A packet may carry levels whose products leave 32 bits; the viewer's
  // integers wrap, and so must ours (no trap, no undefined behaviour).
  int32_t coeff[64], out[64];
  for (int i = 0; i < 64; ++i) coeff[i] = (i % 2 ? 1 : -1) * 511 * 96 * 40;
  inverseDct(coeff, out, 8);
  int32_t in[64];
  for (int i = 0; i < 64; ++i) in[i] = i % 3 ? INT32_MAX : INT32_MIN;
  forwardDct(in, out);
  SUCCEED();
}

}  // namespace
}  // namespace brevan::videnc
