#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "quantiser.h"
#include "quantiser_avx2.h"
#include "quantiser_sse2.h"
#include "simd_dispatch.h"

namespace brevan::videnc {
namespace {

TEST(Quantiser, DividerTruncatesTowardZeroForEveryStep) {
  std::set<int32_t> steps(kDcStep, kDcStep + kQuantCount);
  steps.insert(kAcStep, kAcStep + kQuantCount);
  for (int32_t step : steps) {
    const StepDivider divider(step);
    for (int32_t n = -70000; n <= 70000; ++n)
      ASSERT_EQ(divider.divide(n), n / step) << n << "/" << step;
    for (int32_t n : {INT32_MIN, INT32_MIN + 1, INT32_MAX, 1 << 20, -(1 << 24) - 5}) {
      ASSERT_EQ(divider.divide(n),
                n == INT32_MIN ? -static_cast<int32_t>(2147483648u / step) : n / step);
    }
  }
}

TEST(Quantiser, ZigzagVisitsEveryPositionInTheStandardOrder) {
  const uint8_t start[10] = {0, 1, 8, 16, 9, 2, 3, 10, 17, 24};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(kZigzag[i], start[i]);
  EXPECT_EQ(kZigzag[61], 55);
  EXPECT_EQ(kZigzag[62], 62);
  EXPECT_EQ(kZigzag[63], 63);
  std::set<int> seen(kZigzag, kZigzag + 64);
  EXPECT_EQ(seen.size(), 64u);
  // Each step moves to a neighbour, diagonal included.
  for (int i = 1; i < 64; ++i) {
    EXPECT_LE(std::abs(kZigzag[i] % 8 - kZigzag[i - 1] % 8), 1);
    EXPECT_LE(std::abs(kZigzag[i] / 8 - kZigzag[i - 1] / 8), 1);
  }
}

struct SmallBlockCase {
  const char* label;
  std::vector<std::pair<int, int32_t>> levels;  // scan position, level
  std::vector<std::pair<int, int32_t>> kept;
};

TEST(Quantiser, SmallBlockRuleZeroesLoneAndPairedSmallLevels) {
  const SmallBlockCase cases[] = {
      {"lone +2", {{5, 2}}, {}},
      {"lone -2 at DC", {{0, -2}}, {}},
      {"lone 3", {{9, 3}}, {{9, 3}}},
      {"pair of ones", {{0, 1}, {3, -1}}, {}},
      {"pair one and two", {{1, 1}, {2, 2}}, {{2, 2}}},
      {"pair of twos", {{1, -2}, {2, 2}}, {{1, -2}, {2, 2}}},
      {"three ones", {{1, 1}, {2, 1}, {3, -1}}, {{1, 1}, {2, 1}, {3, -1}}},
  };
  const int q = 19;  // steps 8 and 8
  const QuantSteps steps(q);
  for (const SmallBlockCase& c : cases) {
    int32_t coeff[64] = {};
    for (auto [scan, level] : c.levels) coeff[kZigzag[scan]] = level * 8 + (level > 0 ? 7 : -7);
    int32_t levels[64];
    quantiseBlock(coeff, steps, levels);
    int32_t expected[64] = {};
    for (auto [scan, level] : c.kept) expected[kZigzag[scan]] = level;
    for (int i = 0; i < 64; ++i) EXPECT_EQ(levels[i], expected[i]) << c.label << " at " << i;
  }
}

// Plain per-coefficient division and small-block rule, to hold the
// block quantiser's shortcuts against.
void plainSmallBlockRule(int32_t* levels) {
  int nonzero = 0;
  for (int i = 0; i < 64; ++i) nonzero += levels[i] != 0;
  if (nonzero == 0 || nonzero > 2) return;
  for (int i = 0; i < 64; ++i) {
    if (std::abs(levels[i]) <= (nonzero == 1 ? 2 : 1)) levels[i] = 0;
  }
}

void plainQuantise(const int32_t* coeff, const QuantSteps& steps, int32_t* levels) {
  for (int i = 0; i < 64; ++i) levels[i] = (i == 0 ? steps.dc : steps.ac).divide(coeff[i]);
  plainSmallBlockRule(levels);
}

TEST(Quantiser, SmallBlockRuleMatchesPlainRuleOnFewLevelsAnywhere) {
  // None to three small levels at any positions, the first and last
  // included, where the rule's count and its limits decide; both forms.
  const struct {
    const char* label;
    uint64_t (*rule)(int32_t*, uint64_t);
  } forms[] = {{"with jumps", applySmallBlockRule},
               {"without jumps", applySmallBlockRuleWithoutJumps}};
  for (const auto& form : forms) {
    SCOPED_TRACE(form.label);
    std::mt19937 random(11);
    std::uniform_int_distribution<int32_t> position(0, 63), level(-4, 4);
    for (int trial = 0; trial < 20000; ++trial) {
      int32_t levels[64] = {};
      const int count = trial % 4;
      for (int k = 0; k < count; ++k) {
        const int at = trial % 7 == k ? 63 * (k % 2) : position(random);
        const int32_t value = level(random);
        levels[at] = value != 0 ? value : 1;
      }
      int32_t expected[64];
      std::copy(levels, levels + 64, expected);
      plainSmallBlockRule(expected);
      const uint64_t mask = form.rule(levels, nonzeroMask(levels));
      for (int i = 0; i < 64; ++i)
        ASSERT_EQ(levels[i], expected[i]) << "trial " << trial << " at " << i;
      ASSERT_EQ(mask, nonzeroMask(expected)) << "trial " << trial;
    }
  }
}

TEST(Quantiser, BlockQuantiserMatchesPlainDivisionOnRandomBlocks) {
  std::mt19937 random(7);
  const int32_t spans[] = {4, 40, 200, 4000, 1 << 16, INT32_MAX};
  for (int trial = 0; trial < 60000; ++trial) {
    const QuantSteps steps(trial % kQuantCount);
    const int32_t span = spans[trial % 6];
    std::uniform_int_distribution<int32_t> value(-span, span);
    const int used = static_cast<int>(random() % 65);  // nonzero coefficients
    int32_t coeff[64] = {};
    for (int k = 0; k < used; ++k) coeff[random() % 64] = value(random);
    if (trial % 97 == 0) coeff[random() % 64] = INT32_MIN;
    int32_t levels[64], expected[64];
    const uint64_t mask = quantiseBlock(coeff, steps, levels);
    plainQuantise(coeff, steps, expected);
    for (int i = 0; i < 64; ++i)
      ASSERT_EQ(levels[i], expected[i]) << "trial " << trial << " at " << i;
    ASSERT_EQ(mask, nonzeroMask(expected)) << "trial " << trial;
  }
}

TEST(Quantiser, EveryDividerFitsTheSixteenBitLanes) {
  // The vector quantiser multiplies 16-bit magnitudes by the multiplier
  // and shifts the high half on.
  for (int q = 0; q < kQuantCount; ++q) {
    for (int32_t step : {kDcStep[q], kAcStep[q]}) {
      const StepDivider divider(step);
      EXPECT_LE(divider.multiplier, 0xffffu) << step;
      EXPECT_GE(divider.shift, 16) << step;
    }
  }
}

// quantiseBlock on the scalar path.
uint64_t scalarQuantise(const int32_t* coeff, const QuantSteps& steps, int32_t* levels) {
  forceScalarPaths(true);
  const uint64_t mask = quantiseBlock(coeff, steps, levels);
  forceScalarPaths(false);
  return mask;
}

TEST(Quantiser, VectorPathMatchesScalarAroundItsSixteenBitLimit) {
  std::mt19937 random(23);
  for (int q = 0; q < kQuantCount; ++q) {
    const QuantSteps steps(q);
    for (int trial = 0; trial < 3000; ++trial) {
      int32_t coeff[64];
      // Values from +-32760 to +-32772 across the block, or a lone one
      // among small ones, so that both the vector and the fallback run.
      for (int32_t& c : coeff) c = static_cast<int32_t>(random() % 600) - 300;
      const int edges = trial % 2 ? 64 : 1;
      for (int k = 0; k < edges; ++k) {
        const int32_t magnitude = 32760 + static_cast<int32_t>(random() % 13);
        coeff[random() % 64] = random() % 2 ? magnitude : -magnitude;
      }
      int32_t fast[64], plain[64];
      const uint64_t fastMask = quantiseBlock(coeff, steps, fast);
      const uint64_t plainMask = scalarQuantise(coeff, steps, plain);
      ASSERT_EQ(fastMask, plainMask) << "q " << q << " trial " << trial;
      for (int i = 0; i < 64; ++i)
        ASSERT_EQ(fast[i], plain[i]) << "q " << q << " trial " << trial << " at " << i;
    }
  }
}

TEST(Quantiser, VectorPathMatchesScalarOnEveryMagnitude) {
  // Each magnitude up to the limit, in every lane position, both signs.
  for (int q = 0; q < kQuantCount; ++q) {
    const QuantSteps steps(q);
    for (int32_t n = 0; n <= 32770; ++n) {
      int32_t coeff[64];
      for (int i = 0; i < 64; ++i) coeff[i] = ((n + i) % 3 == 0 ? -1 : 1) * (n - i % 5);
      int32_t fast[64], plain[64];
      ASSERT_EQ(quantiseBlock(coeff, steps, fast), scalarQuantise(coeff, steps, plain)) << n;
      for (int i = 0; i < 64; ++i)
        ASSERT_EQ(fast[i], plain[i]) << "q " << q << " n " << n << " at " << i;
    }
  }
}

TEST(Quantiser, SixteenBitEntriesMatchScalarOnSeededBlocks) {
#if VIDENC_X86
  if (!sse2Enabled()) GTEST_SKIP() << "no SSE2 on this processor";
  std::mt19937 random(43);
  const int32_t spans[] = {3, 30, 300, 3000, kQuantLaneLimit};
  for (int trial = 0; trial < 40000; ++trial) {
    const QuantSteps steps(trial % kQuantCount);
    // Two blocks of different spans, for the entry that takes a pair.
    int16_t lanes[2][64];
    int32_t plain[2][64];
    uint64_t plainMask[2];
    for (int b = 0; b < 2; ++b) {
      const int32_t span = spans[(trial + 2 * b) % 5];
      std::uniform_int_distribution<int32_t> value(-span, span);
      int32_t coeff[64] = {};
      for (int k = static_cast<int>(random() % 65); k > 0; --k)
        coeff[random() % 64] = value(random);
      if (trial % 9 == 0) coeff[random() % 64] = trial % 2 ? kQuantLaneLimit : -kQuantLaneLimit;
      for (int i = 0; i < 64; ++i) lanes[b][i] = static_cast<int16_t>(coeff[i]);
      plainMask[b] = scalarQuantise(coeff, steps, plain[b]);
    }
    int32_t fast[64];
    ASSERT_EQ(quantiseBlockSse2(lanes[0], steps, fast), plainMask[0]) << "trial " << trial;
    for (int i = 0; i < 64; ++i)
      ASSERT_EQ(fast[i], plain[0][i]) << "trial " << trial << " at " << i;
    if (!avx2Enabled()) continue;
    int32_t pair[2][64];
    uint64_t pairMask[2];
    quantisePairAvx2(lanes[0], lanes[1], steps, pair[0], pair[1], pairMask);
    for (int b = 0; b < 2; ++b) {
      ASSERT_EQ(pairMask[b], plainMask[b]) << "trial " << trial << " block " << b;
      for (int i = 0; i < 64; ++i)
        ASSERT_EQ(pair[b][i], plain[b][i]) << "trial " << trial << " block " << b << " at " << i;
    }
  }
#else
  GTEST_SKIP() << "no SSE2 path on this processor family";
#endif
}

TEST(Quantiser, ReconstructionIsLevelTimesStepInNaturalOrder) {
  const QuantSteps steps(0);
  int32_t levels[64] = {};
  levels[0] = 3;
  levels[8] = -2;
  int32_t recon[64];
  reconstructBlock(levels, steps, recon);
  EXPECT_EQ(recon[0], 3 * 96);
  EXPECT_EQ(recon[8], -2 * 96);
  EXPECT_EQ(recon[1], 0);
}

TEST(Quantiser, ReconstructionOfPresentLevelsReadsNothingElse) {
  std::mt19937 random(41);
  for (int trial = 0; trial < 2000; ++trial) {
    const QuantSteps steps(trial % kQuantCount);
    int32_t levels[64], expected[64];
    uint64_t present = 0;
    for (int i = 0; i < 64; ++i) {
      levels[i] = static_cast<int32_t>(random());  // beyond the 32-bit products, too
      if (random() % 4 == 0) present |= uint64_t{1} << i;
    }
    int32_t kept[64] = {};
    for (int i = 0; i < 64; ++i) kept[i] = (present >> i) & 1 ? levels[i] : 0;
    reconstructBlock(kept, steps, expected);
    int32_t recon[64];
    reconstructBlock(levels, present, steps, recon);
    for (int i = 0; i < 64; ++i)
      ASSERT_EQ(recon[i], expected[i]) << "trial " << trial << " at " << i;
  }
}

}  // namespace
}  // namespace brevan::videnc
